// wav: writes 16-bit mono PCM sound files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

/// Writes the samples as a mono 16-bit PCM WAV file; false on failure.
bool wav_write(const std::string& path, const std::vector<int16_t>& samples, int rate);

// fuzz_support: what the fuzz targets share: headless graphics set up once,
// and a scratch file that each input is written to before the game reads it.
#pragma once
#include <cstddef>
#include <cstdint>

/// Starts the library headless once (memory bitmaps, 32-bit colours) and
/// names the scratch file `name` (the library picks its reader by the ending).
void fuzz_init(const char* name);

/// The path of this process's scratch file (in memory where possible).
const char* fuzz_scratch();

/// The folder the scratch file is in.
const char* fuzz_scratch_folder();

/// Writes the input to the scratch file, replacing what it held.
void fuzz_write_scratch(const uint8_t* data, size_t size);

/// Stops the run with a crash when a property of the game's code fails,
/// so that the fuzzer keeps the input that broke it.
void fuzz_require(bool holds, const char* what);

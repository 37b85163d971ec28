// music: note parsing, the instruments and the loop renderer.
#include "music.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "textfile.h"

namespace {

constexpr float TWO_PI = 6.2831853f;

/// One sounding note (or chord member) of a voice.
struct note_event {
    float freq;
    double start; // in seconds
    double length;
};

/// A voice: an instrument, a volume and its notes.
struct voice {
    std::string instrument;
    float volume = 0.2f;
    std::vector<std::string> tokens;
};

/// The whole piece as read from the file.
struct piece {
    std::string file;
    float tempo = 60;
    float beats = 16;
    float echo_beats = 0;
    float echo_feedback = 0;
    std::vector<voice> voices;
};

/// Frequency of a note name such as "C4", "F#3" or "Bb2"; 0 if unreadable.
float note_freq(const std::string& n) {
    static const int semis[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G from C
    if (n.size() < 2 || n[0] < 'A' || n[0] > 'G')
        return 0;
    int semi = semis[n[0] - 'A'];
    size_t i = 1;
    if (n[i] == '#')
        semi++, i++;
    else if (n[i] == 'b')
        semi--, i++;
    if (i >= n.size())
        return 0;
    int octave = std::atoi(n.c_str() + i);
    int midi = 12 * (octave + 1) + semi;
    return 440.0f * std::pow(2.0f, (midi - 69) / 12.0f);
}

/// Attack-decay-release envelope at time t of a note held for `held` seconds.
float envelope(float t, float held, float attack, float decay_rate, float release) {
    float a = t < attack ? t / attack : 1.0f;
    float body = a * std::exp(-decay_rate * t);
    if (t > held)
        body *= std::max(0.0f, 1.0f - (t - held) / release);
    return body;
}

/// How long after its end an instrument's note still sounds, in seconds.
float instrument_release(const std::string& ins) {
    if (ins == "pad" || ins == "drone")
        return 1.5f;
    if (ins == "bell")
        return 2.5f;
    return 0.6f;
}

/// One sample of an instrument playing `f` Hz, t seconds into a note held
/// for `held` seconds.
float instrument_sample(const std::string& ins, float f, float t, float held) {
    const float ph = TWO_PI * f * t;
    const float rel = instrument_release(ins);
    if (ins == "pad") {
        float s = std::sin(ph) + 0.5f * std::sin(ph * 1.004f + 1) + 0.5f * std::sin(ph * 0.996f) +
                  0.18f * std::sin(2 * ph) + 0.08f * std::sin(3 * ph);
        return 0.45f * s * envelope(t, held, 0.7f, 0.0f, rel) *
               (0.9f + 0.1f * std::sin(TWO_PI * 0.5f * t));
    }
    if (ins == "drone") {
        float s = std::sin(ph) + 0.3f * std::sin(2 * ph + 0.5f) + 0.12f * std::sin(3 * ph);
        return 0.6f * s * envelope(t, held, 1.5f, 0.0f, rel) *
               (0.8f + 0.2f * std::sin(TWO_PI * 0.21f * t));
    }
    if (ins == "bell") {
        float index = 2.2f * std::exp(-3.0f * t);
        float s = std::sin(ph + index * std::sin(ph * 3.5f)) + 0.2f * std::sin(ph * 2.01f);
        return 0.5f * s * envelope(t, held + rel, 0.004f, 1.3f, rel);
    }
    if (ins == "pluck") {
        float s = 0;
        for (int k = 1; k <= 6; k++)
            s += std::sin(ph * k) / k * std::exp(-t * (1.5f + 1.2f * k));
        return 0.7f * s * envelope(t, held, 0.003f, 0.2f, rel);
    }
    if (ins == "bass") {
        float s = std::sin(ph) + 0.25f * std::sin(2 * ph) + 0.1f * std::sin(3 * ph);
        return 0.7f * s * envelope(t, held, 0.02f, 0.35f, rel);
    }
    // flute: a soft sine with a gentle vibrato that grows in
    float vib = 0.004f * std::min(1.0f, t / 0.6f) * std::sin(TWO_PI * 5.0f * t);
    float s = std::sin(ph * (1 + vib)) + 0.12f * std::sin(2 * ph) + 0.05f * std::sin(3 * ph);
    return 0.5f * s * envelope(t, held, 0.12f, 0.05f, 0.25f);
}

/// Turns a voice's tokens into note events, repeated to fill the loop.
bool voice_events(const piece& p, const voice& v, std::vector<note_event>& out) {
    const double beat = 60.0 / p.tempo;
    double pos = 0;
    if (v.tokens.empty())
        return true;
    for (size_t i = 0; pos < p.beats - 1e-6; i = (i + 1) % v.tokens.size()) {
        const std::string& tok = v.tokens[i];
        size_t colon = tok.find(':');
        double len = colon == std::string::npos ? 0 : std::atof(tok.c_str() + colon + 1);
        if (len <= 0) {
            std::fprintf(stderr, "bad note token '%s'\n", tok.c_str());
            return false;
        }
        std::string names = tok.substr(0, colon);
        for (size_t a = 0; names != "r" && a < names.size();) {
            size_t plus = names.find('+', a);
            std::string n =
                names.substr(a, plus == std::string::npos ? std::string::npos : plus - a);
            float f = note_freq(n);
            if (f <= 0) {
                std::fprintf(stderr, "bad note name '%s'\n", n.c_str());
                return false;
            }
            out.push_back({f, pos * beat, len * beat});
            a = plus == std::string::npos ? names.size() : plus + 1;
        }
        pos += len;
    }
    return true;
}

/// Adds one voice into the loop buffer, wrapping round its end.
bool voice_render(const piece& p, const voice& v, std::vector<float>& buf) {
    std::vector<note_event> events;
    if (!voice_events(p, v, events))
        return false;
    const size_t n = buf.size();
    const float rel = instrument_release(v.instrument);
    for (const note_event& e : events) {
        const size_t start = static_cast<size_t>(std::llround(e.start * MUSIC_RATE));
        const size_t count = static_cast<size_t>((e.length + rel) * MUSIC_RATE);
        for (size_t k = 0; k < count && k < n; k++) {
            float t = static_cast<float>(k) / MUSIC_RATE;
            buf[(start + k) % n] += v.volume * instrument_sample(v.instrument, e.freq, t, e.length);
        }
    }
    return true;
}

/// Runs a circular echo (and a gentle low-pass) until the loop is steady.
void loop_effects(const piece& p, std::vector<float>& buf) {
    const size_t n = buf.size();
    std::vector<float> dry = buf;
    if (p.echo_feedback > 0) {
        const size_t d = static_cast<size_t>(p.echo_beats * 60.0f / p.tempo * MUSIC_RATE);
        for (int pass = 0; pass < 6; pass++)
            for (size_t i = 0; i < n; i++)
                buf[i] = dry[i] + p.echo_feedback * buf[(i + n - d % n) % n];
    }
    // The first pass only warms the filter up, so the second starts with the
    // state the end of the loop leaves behind.
    const std::vector<float> in = buf;
    float state = 0;
    for (int pass = 0; pass < 2; pass++)
        for (size_t i = 0; i < n; i++) {
            state += 0.45f * (in[i] - state);
            if (pass == 1)
                buf[i] = state;
        }
}

/// How long the fade at each end of a loop lasts, in seconds.
constexpr double FADE_SECONDS = 0.02;

/// Fades the loop in over its first samples and out over its last, with a
/// raised cosine, so that it starts and ends on silence: the music starts
/// without a click, and the seam joins silence to silence.
void loop_fade(std::vector<float>& buf) {
    const size_t n = buf.size();
    const size_t fade = std::min(n / 2, static_cast<size_t>(FADE_SECONDS * MUSIC_RATE));
    for (size_t i = 0; i < fade; i++) {
        const float gain = 0.5f - 0.5f * std::cos(TWO_PI * 0.5f * i / fade);
        buf[i] *= gain;
        buf[n - 1 - i] *= gain;
    }
}

/// The loudest sample of every loop: -1 dBFS, a little headroom below full
/// scale. The game plays one loop at a time through the mixer's whole
/// range, so the loops are mastered alike and loud, and the game's play
/// volume sets what the player hears.
constexpr double PEAK_SAMPLE = 29204; // 32768 * 10^(-1/20)

/// Rounds the loudest peaks off gently and converts the loop to 16-bit
/// samples whose loudest one is exactly PEAK_SAMPLE.
std::vector<int16_t> loop_finish(const std::vector<float>& buf) {
    float peak = 1e-6f;
    for (float v : buf)
        peak = std::max(peak, std::fabs(v));
    constexpr double drive = 0.9; // how far into the soft curve the peak goes
    const double scale = PEAK_SAMPLE / std::tanh(drive);
    std::vector<int16_t> out(buf.size());
    for (size_t i = 0; i < buf.size(); i++)
        out[i] = static_cast<int16_t>(std::lround(std::tanh(buf[i] / peak * drive) * scale));
    return out;
}

/// Reads the piece description.
bool piece_read(const std::string& path, piece& p) {
    std::vector<std::string> lines;
    if (!textfile_read_lines(path, lines)) {
        std::fprintf(stderr, "%s: cannot read the file\n", path.c_str());
        return false;
    }
    for (const std::string& raw : lines) {
        std::vector<std::string> w = textfile_words(textfile_trim(raw));
        if (w.empty() || w[0][0] == '#')
            continue;
        if (w[0] == "file" && w.size() == 2)
            p.file = w[1];
        else if (w[0] == "tempo" && w.size() == 2)
            p.tempo = std::atof(w[1].c_str());
        else if (w[0] == "length" && w.size() == 2)
            p.beats = std::atof(w[1].c_str());
        else if (w[0] == "echo" && w.size() == 3)
            p.echo_beats = std::atof(w[1].c_str()), p.echo_feedback = std::atof(w[2].c_str());
        else if (w[0] == "voice" && w.size() == 3)
            p.voices.push_back({w[1], static_cast<float>(std::atof(w[2].c_str())), {}});
        else if (!p.voices.empty())
            p.voices.back().tokens.insert(p.voices.back().tokens.end(), w.begin(), w.end());
        else {
            std::fprintf(stderr, "%s: unknown line '%s'\n", path.c_str(), raw.c_str());
            return false;
        }
    }
    return !p.file.empty() && p.tempo > 0 && p.beats > 0;
}

} // namespace

bool music_render_file(const std::string& path, music_loop& out) {
    piece p;
    if (!piece_read(path, p)) {
        std::fprintf(stderr, "%s: needs file, tempo and length\n", path.c_str());
        return false;
    }
    const size_t n = static_cast<size_t>(std::llround(p.beats * 60.0 / p.tempo * MUSIC_RATE));
    std::vector<float> buf(n, 0.0f);
    for (const voice& v : p.voices)
        if (!voice_render(p, v, buf)) {
            std::fprintf(stderr, "%s: in a voice of %s\n", path.c_str(), v.instrument.c_str());
            return false;
        }
    loop_effects(p, buf);
    loop_fade(buf);
    out.file = p.file;
    out.samples = loop_finish(buf);
    return true;
}

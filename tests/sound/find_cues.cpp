// Finds spoken cues in a recording: renders each phrase as the program does and reports
// where the recording matches it, comparing their spectra frame by frame.
//   find_cues RECORDING TEXT...     RECORDING: raw signed 16-bit mono at the voice's rate
// Prints one line per match: the text, the sample where it starts, the match's score, and
// the level it was played at (the recording's loudness over the phrase's as made).

#include "sound/speech_output.h"

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

using Complex = std::complex<double>;

void fft(std::vector<Complex>& a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * M_PI / double(len) * (inverse ? -1 : 1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (std::size_t j = 0; j < len / 2; ++j) {
                const Complex u = a[i + j], v = a[i + j + len / 2] * w;
                a[i + j] = u + v;
                a[i + j + len / 2] = u - v;
                w *= step;
            }
        }
    }
    if (inverse)
        for (Complex& x : a)
            x /= double(n);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: find_cues RECORDING TEXT...\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<double> rec(bytes.size() / 2);
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i] = double(std::int16_t(std::uint16_t(std::uint8_t(bytes[2 * i])) |
                                     std::uint16_t(std::uint8_t(bytes[2 * i + 1]) << 8)));

    orvane::SpeechOutput voice([](std::function<void()>) {});
    const char* wanted = std::getenv("FIND_CUES_THRESHOLD");
    const double threshold = wanted ? std::atof(wanted) : 0.9;
    std::vector<std::string> texts(argv + 2, argv + argc);
    voice.prepare(texts);
    // What each 5 ms of sound sounds like: the log magnitude spectrum of a 512-sample frame up
    // to about 5.5 kHz, less its mean. The voice's waveform differs a little from one rendering
    // to the next (its generator keeps its phase between phrases), its spectrum does not.
    constexpr std::size_t Frame = 512, Hop = 110, Bins = 128;
    auto features = [&](const std::vector<double>& x) {
        std::vector<std::vector<double>> out;
        std::vector<Complex> buf(Frame);
        for (std::size_t start = 0; start + Frame <= x.size(); start += Hop) {
            for (std::size_t i = 0; i < Frame; ++i)
                buf[i] = x[start + i] * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / Frame));
            fft(buf, false);
            std::vector<double> f(Bins);
            double mean = 0;
            for (std::size_t b = 0; b < Bins; ++b)
                mean += f[b] = std::log1p(std::abs(buf[b + 1]) / 64.0);
            mean /= Bins;
            for (double& v : f)
                v -= mean;
            out.push_back(std::move(f));
        }
        return out;
    };
    const auto recF = features(rec);
    std::vector<double> energy(recF.size() + 1, 0.0); // prefix sums of the frames' squares
    for (std::size_t k = 0; k < recF.size(); ++k) {
        double e = 0;
        for (double v : recF[k])
            e += v * v;
        energy[k + 1] = energy[k] + e;
    }

    for (const std::string& text : texts) {
        std::shared_ptr<const orvane::SpeechOutput::Pcm> pcm;
        for (int tries = 0; tries < 2000 && !(pcm = voice.rendered(text)); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!pcm || pcm->size() >= rec.size()) {
            std::fprintf(stderr, "find_cues: cannot render \"%s\"\n", text.c_str());
            return 1;
        }
        // The phrase's first 300 ms: enough to tell the phrases apart, and heard whole even
        // when a later cue cuts the phrase short.
        const std::size_t samples =
            std::min<std::size_t>(pcm->size(), std::size_t(voice.rate() * 3 / 10));
        const auto cueF = features(std::vector<double>(pcm->begin(), pcm->begin() + long(samples)));
        const std::size_t m = cueF.size();
        double norm = 0;
        for (const auto& f : cueF)
            for (double v : f)
                norm += v * v;
        norm = std::sqrt(norm);
        std::vector<double> score(recF.size() - m, 0.0);
        for (std::size_t k = 0; k < score.size(); ++k) {
            double dot = 0;
            for (std::size_t i = 0; i < m; ++i)
                for (std::size_t b = 0; b < Bins; ++b)
                    dot += recF[k + i][b] * cueF[i][b];
            const double local = std::sqrt(energy[k + m] - energy[k]);
            score[k] = local > 1e-9 ? dot / (norm * local) : 0.0;
        }
        for (std::size_t k = 0; k < score.size(); ++k) {
            if (score[k] < threshold)
                continue;
            const std::size_t from = k > m ? k - m : 0, to = std::min(score.size(), k + m);
            bool peak = true;
            for (std::size_t j = from; j < to && peak; ++j)
                peak = score[j] < score[k] || (score[j] == score[k] && j >= k);
            if (!peak)
                continue;
            // How loud it was played: the recording's level over the phrase's first part,
            // against the phrase's own (the volume chosen, 1 for the phrase as made).
            double heard = 0, made = 0;
            for (std::size_t i = 0; i < samples && k * Hop + i < rec.size(); ++i) {
                heard += rec[k * Hop + i] * rec[k * Hop + i];
                made += double((*pcm)[i]) * double((*pcm)[i]);
            }
            std::printf("%s\t%zu\t%.3f\t%.3f\n", text.c_str(), k * Hop, score[k],
                        made > 0 ? std::sqrt(heard / made) : 0.0);
        }
    }
    return 0;
}

// Mask matching: one built matcher against fnmatch(3) called once per mask, over a million
// generated file names.
#include "cmdline/AutoMatcher.h"

#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <clocale>
#include <fnmatch.h>
#include <malloc.h>
#include <random>
#include <string>
#include <vector>

using namespace kalido;

namespace {

constexpr int nameCount = 1'000'000;
const char *const extensionList = "*.jpg;*.jpeg;*.tif;*.tiff";
const char *const digitList = "img###.png";

struct Names
{
    std::vector<QString> wide;
    std::vector<std::string> narrow;
};

// Mixed case, 5 to 40 characters, some without extension, some in the img###.png pattern.
const Names &names()
{
    static const Names n = [] {
        Names r;
        std::mt19937 rng(42);
        const char *exts[] = {".jpg", ".JPG", ".jpeg", ".tif", ".TIFF", ".png", ".txt", ".mp3", ".Jpg", ""};
        const std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ -";
        r.wide.reserve(nameCount);
        r.narrow.reserve(nameCount);
        for (int i = 0; i < nameCount; ++i) {
            std::string s;
            if (rng() % 10 == 0) {
                s = (rng() % 2 ? "img" : "IMG") + std::to_string(rng() % 2000) + ".png";
            } else {
                const std::string ext = exts[rng() % std::size(exts)];
                const int len = 5 + int(rng() % 36) - int(ext.size());
                for (int k = 0; k < std::max(len, 1); ++k)
                    s += letters[rng() % letters.size()];
                s += ext;
            }
            r.narrow.push_back(s);
            r.wide.push_back(QString::fromStdString(s));
        }
        return r;
    }();
    return n;
}

void matchKalido(benchmark::State &state, const char *maskList)
{
    const auto matcher = BuildMatcher(QString::fromLatin1(maskList));
    const Names &n = names();
    int64_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const QString &name : n.wide)
            hits += matcher->Matches(name);
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(hits);
    state.SetItemsProcessed(state.iterations() * int64_t(n.wide.size()));
}

void matchFnmatch(benchmark::State &state, const char *maskList)
{
    std::vector<std::string> masks;
    for (const QString &m : QString::fromLatin1(maskList).split(u';', Qt::SkipEmptyParts))
        masks.push_back(m.toStdString());
    // fnmatch has no digit class of its own; "#" is written as [0-9].
    for (std::string &m : masks)
        for (size_t at; (at = m.find('#')) != std::string::npos;)
            m.replace(at, 1, "[0-9]");
    const Names &n = names();
    int64_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const std::string &name : n.narrow) {
            for (const std::string &m : masks) {
                if (fnmatch(m.c_str(), name.c_str(), FNM_CASEFOLD) == 0) {
                    ++hits;
                    break;
                }
            }
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = double(hits);
    state.SetItemsProcessed(state.iterations() * int64_t(n.narrow.size()));
}

QString twentyMasks()
{
    QStringList masks;
    for (const char *ext : {"jpg", "jpeg", "tif", "tiff", "png", "gif", "bmp", "webp", "heic", "raw", "cr2",
                            "nef", "arw", "dng", "psd", "xcf", "svg", "ico"})
        masks << QStringLiteral("*.") + QString::fromLatin1(ext);
    masks << QStringLiteral("img###.png") << QStringLiteral("dsc?????.*");
    return masks.join(u';');
}

void BM_Build20(benchmark::State &state)
{
    const QString list = twentyMasks();
    for (auto _ : state) {
        auto m = BuildMatcher(list);
        benchmark::DoNotOptimize(m.get());
    }
    const size_t before = mallinfo2().uordblks;
    auto kept = BuildMatcher(list);
    const size_t after = mallinfo2().uordblks;
    size_t states = 0;
    for (const auto &a : kept->Autos)
        states += size_t(a->StateCount());
    state.counters["heap_bytes"] = double(after - before);
    state.counters["states"] = double(states);
    state.counters["automata"] = double(kept->Autos.size());
}

} // namespace

int main(int argc, char **argv)
{
    std::setlocale(LC_ALL, "C");
    benchmark::RegisterBenchmark("BM_Match/Kalido", matchKalido, extensionList)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Match/Fnmatch", matchFnmatch, extensionList)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Match/Kalido/img###.png", matchKalido, digitList)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Match/Fnmatch/img###.png", matchFnmatch, digitList)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Build20", BM_Build20)->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

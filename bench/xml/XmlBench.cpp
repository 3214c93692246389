// Parsing and saving throughput against pugixml, on the same generated documents: a ~20 MB
// settings-like document and a 2 KB project-like file.
#include "xml/XmlNode.h"
#include "xml/XmlWriter.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <QByteArray>
#include <random>
#include <string>

using namespace kalido;

namespace {

void line(QByteArray &out, int level, const QByteArray &text)
{
    out.append(2 * level, ' ');
    out += text;
    out += "\r\n";
}

QByteArray attributes(std::mt19937 &rng, int count)
{
    static const char *const names[] = {"id",     "name",  "path",   "left",    "top",     "width",
                                        "height", "color", "Source", "Caption", "enabled", "mode",
                                        "delay",  "order", "title",  "comment"};
    static const char *const words[] = {"photo",
                                        "music",
                                        "Tom &amp; Jerry",
                                        "&lt;none&gt;",
                                        "3",
                                        "True",
                                        "False",
                                        "/home/user/Pictures/Holiday 2024/img",
                                        "&quot;quoted&quot;",
                                        "caf&#233;",
                                        "-12",
                                        "Office 2007 Blue"};
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        out += ' ';
        out += names[i % std::size(names)];
        out += "=\"";
        out += words[rng() % std::size(words)];
        if (rng() % 3 == 0)
            out += QByteArray::number(rng() % 100000);
        out += '"';
    }
    return out;
}

// Elements with 5 to 15 attributes, 3 to 5 levels deep, entity references in values and text.
QByteArray settingsDocument(qsizetype size)
{
    std::mt19937 rng(20241211);
    QByteArray out = "<?xml version=\"1.0\"?>\r\n<!-- created by Tessel XML package -->\r\n  <settings>\r\n";
    while (out.size() < size) {
        line(out, 2, "<group" + attributes(rng, 5 + rng() % 11) + " >");
        for (int i = 0, n = 2 + rng() % 6; i < n; ++i) {
            const bool deep = rng() % 2;
            if (!deep) {
                line(out, 3, "<item" + attributes(rng, 5 + rng() % 11) + " />");
                continue;
            }
            line(out, 3, "<item" + attributes(rng, 5 + rng() % 11) + " >");
            for (int j = 0, m = 1 + rng() % 4; j < m; ++j)
                line(out, 4,
                     "<value" + attributes(rng, 5 + rng() % 11) + ">text &amp; more " +
                         QByteArray::number(rng() % 1000) + "</value>");
            line(out, 3, "</item>");
        }
        line(out, 2, "</group>");
    }
    line(out, 1, "</settings>");
    return out;
}

QByteArray projectDocument()
{
    std::mt19937 rng(7);
    QByteArray out = "<?xml version=\"1.0\"?>\r\n<!-- created by Tessel XML package -->\r\n";
    line(out, 1, "<project" + attributes(rng, 12) + " >");
    while (out.size() < 1900)
        line(out, 2,
             "<Item>/home/user/Music/Album &amp; Co/track " + QByteArray::number(rng() % 100) +
                 ".mp3</Item>");
    line(out, 1, "</project>");
    return out;
}

const QByteArray &input(bool large)
{
    static const QByteArray settings = settingsDocument(20 * 1024 * 1024);
    static const QByteArray project = projectDocument();
    return large ? settings : project;
}

void parseKalido(benchmark::State &state, bool large)
{
    const QByteArray &bytes = input(large);
    for (auto _ : state) {
        auto doc = LoadXmlBytes(bytes);
        benchmark::DoNotOptimize(doc.get());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void parsePugixml(benchmark::State &state, bool large)
{
    const QByteArray &bytes = input(large);
    for (auto _ : state) {
        pugi::xml_document doc;
        const auto result = doc.load_buffer(bytes.constData(), bytes.size());
        benchmark::DoNotOptimize(result.status);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

struct StringWriter : pugi::xml_writer
{
    std::string out;
    void write(const void *data, size_t size) override { out.append(static_cast<const char *>(data), size); }
};

void saveKalido(benchmark::State &state, bool large)
{
    auto doc = LoadXmlBytes(input(large));
    qsizetype size = WriteXml(*doc).size(); // warm: every node decoded once
    for (auto _ : state) {
        const QByteArray out = WriteXml(*doc);
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void savePugixml(benchmark::State &state, bool large)
{
    const QByteArray &bytes = input(large);
    pugi::xml_document doc;
    doc.load_buffer(bytes.constData(), bytes.size());
    size_t size = 0;
    for (auto _ : state) {
        StringWriter writer;
        doc.save(writer, "  ", pugi::format_default, pugi::encoding_latin1);
        size = writer.out.size();
        benchmark::DoNotOptimize(writer.out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::RegisterBenchmark("BM_Parse/Kalido", parseKalido, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Parse/Pugixml", parsePugixml, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Save/Kalido", saveKalido, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_Save/Pugixml", savePugixml, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ParseProject/Kalido", parseKalido, false);
    benchmark::RegisterBenchmark("BM_ParseProject/Pugixml", parsePugixml, false);
    benchmark::RegisterBenchmark("BM_SaveProject/Kalido", saveKalido, false);
    benchmark::RegisterBenchmark("BM_SaveProject/Pugixml", savePugixml, false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Scanning a large photo tree: the file list against a plain readdir walk with the same
// extension test, which is as fast as reading the folders can go.
//
// The tree (100,000 files in 2,000 folders, warm cache) is generated once per run in a
// temporary folder, or kept in $KALIDO_BENCH_TREE when that is set (so other tools, such as
// find, can be timed on the same tree).

#include "files/FileList.h"
#include "util/FsName.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

using namespace kalido;

namespace {

constexpr int topFolders = 40;
constexpr int subFolders = 49; // 40 + 40 * 49 = 2,000 folders
constexpr int filesPerFolder = 50;

void makeFolder(const std::string &path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        std::abort();
}

void fillFolder(const std::string &path, int &serial)
{
    static const char *const exts[] = {".jpg", ".JPG", ".tif", ".txt", ".mp3"};
    for (int i = 0; i < filesPerFolder; ++i, ++serial) {
        const std::string name = path + "/img_" + std::to_string(serial) + exts[serial % 5];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            std::abort();
        ::close(fd);
    }
}

// The root of the benchmark tree, made on first use.
const std::string &tree()
{
    static QTemporaryDir temporary;
    static const std::string root = [] {
        const char *kept = std::getenv("KALIDO_BENCH_TREE");
        std::string r = kept && *kept ? std::string(kept) : temporary.path().toStdString() + "/tree";
        const std::string marker = r + "/.complete";
        if (::access(marker.c_str(), F_OK) == 0)
            return r;
        makeFolder(r);
        int serial = 0;
        for (int t = 0; t < topFolders; ++t) {
            const std::string top = r + "/d" + std::to_string(t);
            makeFolder(top);
            fillFolder(top, serial);
            for (int s = 0; s < subFolders; ++s) {
                const std::string sub = top + "/s" + std::to_string(s);
                makeFolder(sub);
                fillFolder(sub, serial);
            }
        }
        ::close(::open(marker.c_str(), O_WRONLY | O_CREAT, 0644));
        return r;
    }();
    return root;
}

void BM_Scan_Kalido(benchmark::State &state)
{
    TWideStringHash photos;
    photos.AddExtensions(QStringLiteral("jpg;jpeg;tif;tiff"));
    const QString root = FsDecode(QByteArray::fromStdString(tree())) + u'/';
    int found = 0;
    for (auto _ : state) {
        TFileList list;
        list.Add(root);
        list.Scan(&photos, fsoRecurse);
        found = list.Count();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = found;
    state.SetItemsProcessed(state.iterations() * topFolders * (subFolders + 1) * filesPerFolder);
}

// The plain walk: readdir with d_type, byte paths, an ASCII-folded extension set.
void walk(const std::string &folder, const std::unordered_set<std::string> &exts,
          std::vector<std::string> &out)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent *e = ::readdir(dir)) {
        const char *name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (e->d_type == DT_DIR) {
            walk(folder + name + '/', exts, out);
        } else if (e->d_type == DT_REG) {
            const char *dot = std::strrchr(name, '.');
            if (!dot)
                continue;
            std::string ext(dot);
            for (char &c : ext)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            if (exts.count(ext))
                out.push_back(folder + name);
        }
    }
    ::closedir(dir);
}

void BM_Scan_Readdir(benchmark::State &state)
{
    const std::unordered_set<std::string> exts = {".jpg", ".jpeg", ".tif", ".tiff"};
    const std::string root = tree() + '/';
    std::size_t found = 0;
    for (auto _ : state) {
        std::vector<std::string> out;
        walk(root, exts, out);
        found = out.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["files"] = double(found);
    state.SetItemsProcessed(state.iterations() * topFolders * (subFolders + 1) * filesPerFolder);
}

} // namespace

BENCHMARK(BM_Scan_Kalido)->Name("BM_Scan/Kalido")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan_Readdir)->Name("BM_Scan/Readdir")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

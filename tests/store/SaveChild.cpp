// A child process for the crash-safety tests of the settings store.
//   SaveChild loop <file> <first>   saves versions first, first+1, ... until killed
//   SaveChild fsize <file> <bytes>  one save of a large version under a file-size limit;
//                                   exit 0 when UpdateFile reported failure, 1 when it reported success
#include "SaveLoopContent.h"

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

using namespace kalido;

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString file = QString::fromLocal8Bit(argv[2]);
    const long number = std::atol(argv[3]);
    try {
        if (mode == u"loop") {
            auto ini = NewXMLIni(file);
            std::puts("ready");
            std::fflush(stdout);
            for (int k = int(number);; ++k) {
                test::FillVersion(*ini, k);
                if (!ini->UpdateFile())
                    return 3;
            }
        }
        if (mode == u"fsize") {
            // Exceeding the limit must surface as a write error, not kill the process.
            std::signal(SIGXFSZ, SIG_IGN);
            auto ini = NewXMLIni(file);
            test::FillVersion(*ini, 999);
            const rlimit limit{rlim_t(number), rlim_t(number)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
            return ini->UpdateFile() ? 1 : 0;
        }
    } catch (const std::exception &) {
        return 4;
    }
    return 2;
}

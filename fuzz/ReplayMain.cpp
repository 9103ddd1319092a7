// Replays saved inputs through a fuzz target's entry function without libFuzzer, so the normal
// build runs every input that once failed:
//   replay_<target> [--import-in-helper] FILE|FOLDER...
// A folder stands for the files directly in it (names starting with '.' and README files are
// skipped). --import-in-helper makes the import targets import through the helper process, as
// the program does, for inputs that crash libmdb or FreeXL themselves. An input that still fails
// crashes or aborts this program; otherwise it prints how many inputs it replayed.
#include "FuzzImport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool isInput(const QFileInfo& info)
{
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.')) &&
           !info.fileName().startsWith(QLatin1String("README"));
}

QStringList inputsIn(const QString& argument)
{
    const QFileInfo info(argument);
    QStringList files;
    if (!info.isDir()) {
        files << argument;
        return files;
    }
    for (const QFileInfo& entry : QDir(argument).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (isInput(entry)) {
            files << entry.filePath();
        }
    }
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int a = 1; a < argc; ++a) {
        const QString argument = QString::fromLocal8Bit(argv[a]);
        if (argument == QLatin1String("--import-in-helper")) {
            ImportInHelperFromNowOn();
            continue;
        }
        if (!QFileInfo::exists(argument)) {
            std::fprintf(stderr, "replay: %s does not exist\n", argv[a]);
            return 2;
        }
        for (const QString& path : inputsIn(argument)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
                return 2;
            }
            // An exact-size copy, as libFuzzer passes it, so a read one byte past the end is caught.
            const QByteArray bytes = file.readAll();
            const std::vector<uint8_t> input(bytes.cbegin(), bytes.cend());
            std::fprintf(stderr, "replay: %s\n", qPrintable(path));
            LLVMFuzzerTestOneInput(input.data(), input.size());
            ++replayed;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return 0;
}

// Box switch and save on full boxes (99 texts and 99 macros of 9,999 characters), through the
// program's own main window (offscreen), each beside its floor in alternation in the same run:
// - switch: the window shows another box (its texts, the position captions, the macro list and
//   the selected macro), beside reading the box's two files and decoding their bytes;
// - save: one text stored into a full box (the whole file rewritten, synced and renamed), beside
//   writing the same bytes with open, write, fsync, close, rename and a sync of the folder.
#include "BenchData.h"
#include "BenchRow.h"
#include "app/PlatformServices.h"
#include "app/TrellinApp.h"
#include "boxes/BoxStore.h"
#include "core/TextCodec.h"
#include "gui/boxes/PositionButton.h"
#include "gui/boxes/PositionButtonsFrame.h"
#include "gui/main/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRuns = 21;

double seconds(const QElapsedTimer& clock)
{
    return clock.nsecsElapsed() / 1e9;
}

// The floor of a switch: both files of the box read and decoded.
qsizetype readAndDecode(const QString& folder, int box)
{
    qsizetype characters = 0;
    for (const QString& path : {DataFiles::boxFile(folder, box), DataFiles::macroFile(folder, box)}) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            characters += TextCodec::fromWindows1252(file.readAll()).size();
    }
    return characters;
}

// The floor of a save: the same bytes written durably with plain system calls.
bool writeSyncRename(const QString& path, const QByteArray& bytes)
{
    const QByteArray temporary = QFile::encodeName(path + QStringLiteral(".floor"));
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written
        = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!written
        || ::rename(temporary.constData(), QFile::encodeName(path + QStringLiteral(".copy")).constData())
            != 0)
        return false;
    const int folder
        = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    ::fsync(folder);
    ::close(folder);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    TrellinApp::keepFreedMemory(); // as main() does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir home;
    for (const char* variable :
        {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home.filePath(QString::fromLatin1(variable));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, folder.toLocal8Bit());
    }
    const QString folder = home.filePath(QStringLiteral("XDG_DATA_HOME/MoxenoTrellin/"));
    if (!QDir().mkpath(folder) || !BenchData::writeDataSet(folder, 9999, true)) {
        std::fprintf(stderr, "bench_boxes: could not write the data set\n");
        return 1;
    }
    QApplication application(argc, argv);
    PlatformServices platform(PlatformServices::Backend::Unavailable);
    TrellinApp trellin(platform.clipboard(), TrellinApp::Platform {});
    if (!trellin.start()) {
        std::fprintf(stderr, "bench_boxes: the program did not start: %s\n", qPrintable(trellin.failure()));
        return 1;
    }
    MainWindow& window = *trellin.window();
    QApplication::processEvents();

    std::vector<double> switches, reads, saves, writes;
    qsizetype decoded = 0;
    for (int run = 0; run < kRuns; ++run) {
        const int box = 2 + run % 97;
        QElapsedTimer clock;
        clock.start();
        decoded += readAndDecode(folder, box);
        reads.push_back(seconds(clock));
        clock.start();
        window.selectBox(box);
        switches.push_back(seconds(clock));
        if (window.positionButtons()->button(99)->text() != QStringLiteral("+")) {
            std::fprintf(stderr, "bench_boxes: box %d shows no text at position 99\n", box);
            return 1;
        }

        // Numbered, as the generated texts repeat; the euro sign stays the one of the stored texts.
        const QString text
            = (QString::number(run) + u' ' + TextCodec::fromWindows1252(BenchData::text(9999, 7 * run + 1)))
                  .left(9999);
        clock.start();
        const Result<SaveOutcome> saved = trellin.store().savePosition(text, 50, box, true);
        saves.push_back(seconds(clock));
        QFile file(DataFiles::boxFile(folder, box));
        if (!saved || *saved != SaveOutcome::Saved || !file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench_boxes: the save into box %d failed: %s\n", box,
                saved ? qPrintable(QString::number(int(*saved))) : qPrintable(saved.error()));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        clock.start();
        if (!writeSyncRename(file.fileName(), bytes)) {
            std::fprintf(stderr, "bench_boxes: the plain write failed\n");
            return 1;
        }
        writes.push_back(seconds(clock));
    }
    std::printf("box switch: %d runs, %lld characters decoded by the floor\n", kRuns,
        static_cast<long long>(decoded));
    using BenchRow::median;
    BenchRow::timing(QStringLiteral("Box switch (full box: texts, captions, macro list)"), median(switches),
        median(reads), 2.0, 0.016);
    BenchRow::timing(QStringLiteral("Save into a full box (rewrite, fsync, rename)"), median(saves),
        median(writes), 2.0, 0);
    return 0;
}

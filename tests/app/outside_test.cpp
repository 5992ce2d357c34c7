// The program as the desktop meets it: its command line, and brains opened
// from outside the panels (a file argument, a drop).
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <fstream>
#include <optional>
#include <sys/resource.h>

#include "platform/command_line.h"
#include "platform/open_files.h"
#include "storage/write/brain_writer.h"
#include "tests/window/live_window.h"

namespace {

const QString kStartCaption = "Cerebrix - By Quillon (Age 26) / Size of brain: 9455 / Drawing on input layer";

// A brain of side 20 whose input cell (x, y) is RGB(x, y, 200), at a path
// of bytes as the system takes it.
void writeBrain(const std::string& path)
{
    auto cells = brain::CellGrid::allocate(20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            cells->set(brain::Red, x, y, 0, std::uint8_t(x));
            cells->set(brain::Green, x, y, 0, std::uint8_t(y));
            cells->set(brain::Blue, x, y, 0, 200);
        }
    storage::BrainHeader h;
    h.dimX = h.dimY = h.dimZ = 20;
    QVERIFY(storage::writeBrainFile(path, h, *cells).ok);
}

// The environment of a child that has no display or platform named; only
// the sanitizers' settings stay.
QProcessEnvironment cleanEnvironment()
{
    QProcessEnvironment clean;
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(keep))
            clean.insert(keep, qEnvironmentVariable(keep));
    return clean;
}

// Drags files (relative to the working folder) over the window and drops
// them; true when the window took the drag.
bool drop(LiveWindow& w, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.mainWindow(), &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.mainWindow(), &dropped);
    w.settle();
    return enter.isAccepted();
}

bool drop(LiveWindow& w, const QStringList& paths)
{
    QList<QUrl> urls;
    for (const QString& p : paths)
        urls << QUrl::fromLocalFile(QFileInfo(p).absoluteFilePath());
    return drop(w, urls);
}

}  // namespace

class OutsideTest : public QObject {
    Q_OBJECT

    std::optional<QTemporaryDir> scratch;
    QString home;

private slots:
    void init()
    {
        scratch.emplace();
        QVERIFY(QDir::setCurrent(scratch->path()) && QDir().mkdir("sub"));
        home = QDir::currentPath();
        writeBrain("good.brain");
        writeBrain("sub/far.brain");
        std::ofstream("bad.brain") << "30,30,30,128,128,128,0,0,1,1\n7\n";  // ends early
    }

    // The real program, started without a usable display: what it prints and its status.
    void commandLine()
    {
        // Arguments; DISPLAY; exit status; the stream that must hold the texts; the texts.
        const std::tuple<QStringList, QString, int, QProcess::ProcessChannel, QStringList> rows[] = {
            {{"-h"}, "", 0, QProcess::StandardOutput, {"Usage: cerebrix [options] [file]", "A brain file (.brain) to open."}},
            {{"--version"}, "", 0, QProcess::StandardOutput, {"cerebrix " CEREBRIX_VERSION "\n", "Licence: MIT"}},
            {{"-V"}, "", 0, QProcess::StandardOutput, {"cerebrix " CEREBRIX_VERSION "\n"}},
            {{"--help-all"}, "", 0, QProcess::StandardOutput,
             {"A brain file (.brain) to open.", "--platformpluginpath <path>"}},
            {{"--frob"}, "", 2, QProcess::StandardError, {"Unknown option 'frob'.", "Usage: cerebrix"}},
            {{"a.brain", "b.brain"}, "", 2, QProcess::StandardError, {"only one brain file"}},
            {{"good.brain"}, "", 1, QProcess::StandardError,
             {"cerebrix: Cerebrix needs a graphical desktop, but no X11 or Wayland display was found"}},
            {{"good.brain"}, ":4711", 1, QProcess::StandardError,
             {"cerebrix: Cerebrix needs a graphical desktop, but its display could not be opened"}},
        };
        for (const auto& [args, display, status, channel, texts] : rows) {
            QProcess p;
            QProcessEnvironment clean = cleanEnvironment();
            if (!display.isEmpty())
                clean.insert("DISPLAY", display);
            p.setProcessEnvironment(clean);
            p.start(CEREBRIX_PROGRAM, args);
            QVERIFY2(p.waitForFinished(20000), qPrintable(args.join(' ')));
            const QString out = p.readAllStandardOutput(), err = p.readAllStandardError();
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);  // no abort
            QCOMPARE(p.exitCode(), status);
            for (const QString& text : texts)
                QVERIFY2((channel == QProcess::StandardOutput ? out : err).contains(text), qPrintable(out + err));
            if (status == 1 && display.isEmpty())
                QCOMPARE(err.count('\n'), 1);  // one line
        }
        // Output that cannot be written (a full disk) is a failure, told in one line.
        for (const char* asked : {"--help", "--help-all", "--version"}) {
            QProcess p;
            p.setProcessEnvironment(cleanEnvironment());
            p.setStandardOutputFile("/dev/full");
            p.start(CEREBRIX_PROGRAM, {asked});
            QVERIFY2(p.waitForFinished(20000), asked);
            const QString err = p.readAllStandardError();
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 1, asked);
            QVERIFY2(err.startsWith("cerebrix: cannot write to standard output") && err.count('\n') == 1,
                     qPrintable(err));
        }
    }

    // File names are bytes: one that is not UTF-8 opens from the command
    // line and from a drop, and a message shows it readably.
    void namesNotUtf8()
    {
        const std::string latin1 = "lat1\xe9.brain", utf8 = "utf8\xc3\xa9.brain", mixed = "m\xc3\xa9\xe9.brain";
        for (const std::string& name : {latin1, utf8, mixed}) {
            QVERIFY(QDir::setCurrent(home));
            writeBrain(name);
            char* argv[] = {const_cast<char*>("cerebrix"), const_cast<char*>(name.c_str()), nullptr};
            const platform::CommandLine line = platform::readCommandLine(2, argv);
            QCOMPARE(line.file, name);
            LiveWindow w(name.c_str(), line.file);
            QVERIFY2(w.d().brain().side() == 20, name.c_str());
            LiveWindow dropped;
            const QByteArray url = "file://" + QByteArray(QDir::currentPath().toUtf8() + "/" + name.c_str()).toPercentEncoding("/");
            QVERIFY2(drop(dropped, {QUrl::fromEncoded(url)}), url.constData());
            QVERIFY2(dropped.d().brain().side() == 20, url.constData());
        }
        QVERIFY(QDir::setCurrent(home));
        LiveWindow w({}, "gone\xe9.brain");
        const QString message = QString::fromStdString(w.host().text("FileMessage"));
        QVERIFY2(message.contains(u"gone\uFFFD.brain"), qPrintable(message));
    }

    // The program raises its limit of open files as far as it may; below
    // what the window needs it refuses to start, in one line, and never
    // aborts with a drawing in it (a save needs files of its own).
    void fewOpenFiles()
    {
        rlimit now{};
        QVERIFY(getrlimit(RLIMIT_NOFILE, &now) == 0);
        const rlim_t enough = rlim_t(platform::kFewestOpenFiles);
        if (now.rlim_max < enough)
            QSKIP("the hard limit of open files here is below what the window needs");
        // Soft and hard limit; the child; exit status.
        const std::tuple<rlim_t, rlim_t, QString, int> rows[] = {
            {8, 8, CEREBRIX_SAVE_CHILD, 1},
            {8, 8, CEREBRIX_PROGRAM, 1},
            {8, now.rlim_max, CEREBRIX_SAVE_CHILD, 0},
            {enough, enough, CEREBRIX_SAVE_CHILD, 0},
        };
        for (const auto& [soft, hard, child, status] : rows) {
            QVERIFY(QDir::setCurrent(home));
            QFile::remove("few.brain");
            QProcess p;
            QProcessEnvironment env = cleanEnvironment();
            env.insert("QT_QPA_PLATFORM", "offscreen");
            p.setProcessEnvironment(env);
            p.setChildProcessModifier([soft = soft, hard = hard] {
                const rlimit limit{soft, hard};
                setrlimit(RLIMIT_NOFILE, &limit);
            });
            p.start(child, {"few"});
            const QString row = QString("%1 %2 %3").arg(soft).arg(hard).arg(child);
            QVERIFY2(p.waitForFinished(60000), qPrintable(row));
            const QString err = p.readAllStandardError();
            QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == status, qPrintable(row + ": " + err));
            QCOMPARE(QFile::exists("few.brain"), status == 0 && child == CEREBRIX_SAVE_CHILD);
            if (status == 1)
                QVERIFY2(err.contains("open files") && err.count('\n') == 1, qPrintable(err));
        }
    }

    // cerebrix FILE: what the window shows, and which folder it works in.
    void fileArgument()
    {
        // File; caption afterwards; the colour of the grid's first cell; working folder; a message shown.
        const std::tuple<QString, QString, platform::Colour, QString, bool> rows[] = {
            {"", kStartCaption, 0, ".", false},
            {"good.brain", "Cerebrix - By Quillon (Age 26) / Size of brain: 2870 / Drawing on input layer",
             platform::rgb(0, 0, 200), ".", false},
            {"sub/far.brain", "Cerebrix - By Quillon (Age 26) / Size of brain: 2870 / Drawing on input layer",
             platform::rgb(0, 0, 200), "sub", false},
            {"bad.brain", kStartCaption, 0, ".", true},
            {"missing.brain", kStartCaption, 0, ".", true},
            {"sub", kStartCaption, 0, ".", true},
        };
        for (const auto& [file, caption, firstCell, folder, message] : rows) {
            QVERIFY(QDir::setCurrent(home));
            LiveWindow w(file, file.toStdString());
            const QString row = "row " + file;
            QVERIFY2(QString::fromStdString(w.host().caption()) == caption, qPrintable(row));
            const auto& d = w.d();
            const brain::Origin o = d.view().origin();
            QVERIFY2(w.surface().point(o.x, o.y) == firstCell, qPrintable(row));
            QVERIFY2(w.surface().point(o.x + 5, o.y + 7) == (firstCell ? platform::rgb(5, 7, 200) : 0), qPrintable(row));
            QCOMPARE(QDir::currentPath(), QDir::cleanPath(QDir(home).absoluteFilePath(folder)));
            QCOMPARE(w.host().text("FileMessage").empty(), !message);
            QVERIFY2(d.started() && d.brain().reallocationPending() == (message || file.isEmpty()), qPrintable(row));
        }
    }

    // Dropped files: taken up only when "Load Brain" could be chosen.
    void drops()
    {
        // Steps before the drop; the files dragged; accepted.
        const std::tuple<QString, QStringList, bool> rows[] = {
            {"", {"good.brain"}, true},
            {"", {"sub/far.brain"}, true},
            {"", {"good.brain", "sub/far.brain"}, false},
            {"", {"missing.brain"}, false},
            {"", {"sub"}, false},
            {"menu loadbrain", {"good.brain"}, false},
            {"menu choosecolor", {"good.brain"}, false},
            {"menu about", {"good.brain"}, false},
            {"menu cmove", {"good.brain"}, false},
        };
        for (const auto& [steps, paths, accepted] : rows) {
            QVERIFY(QDir::setCurrent(home));
            LiveWindow w(steps + " " + paths.join(','));
            w.run(steps);
            const QString folder = accepted ? QFileInfo(paths.front()).absolutePath() : home;
            QCOMPARE(drop(w, paths), accepted);
            QCOMPARE(w.d().brain().side(), accepted ? 20 : 30);
            QCOMPARE(QDir::currentPath(), folder);
        }
        // A brain that cannot be read leaves its reason up until one is taken up.
        QVERIFY(QDir::setCurrent(home));
        LiveWindow w;
        QVERIFY(drop(w, {"bad.brain"}));
        QVERIFY(w.control("FileMessage")->isVisible() && w.d().brain().side() == 30);
        QVERIFY(drop(w, {"good.brain"}));
        QVERIFY(!w.control("FileMessage")->isVisible() && w.d().brain().side() == 20);
    }

    // Docks and Wayland compositors tie the window to its launcher by this
    // name (the X11 class is checked against the entry in x11_smoke).
    void desktopFileName()
    {
        LiveWindow w;
        QCOMPARE(QGuiApplication::desktopFileName() + ".desktop", QFileInfo(CEREBRIX_DESKTOP_ENTRY).fileName());
        QVERIFY(QFileInfo(CEREBRIX_DESKTOP_ENTRY).isFile());
    }
};

QTEST_MAIN(OutsideTest)
#include "outside_test.moc"

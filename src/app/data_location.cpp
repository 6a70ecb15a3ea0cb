#include "app/data_location.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QtGlobal>
#include <array>

#include "text/charset.h"
#include "text/files.h"

namespace qinghe {

const char kSiteDirectoryNameUtf8[] = "排名网站";
const char kPortableMarkerName[] = "portable";

namespace {

QString Canonical(const QString& dir) {
    const QString canonical = QFileInfo(dir).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(dir) : canonical;
}

QString QStringFromText(const Text& text) {
    return QString::fromStdString(AnsiToUtf8(text).str());
}

// Empty when code page 936 cannot spell the path: a path that does not survive
// the round trip would name some other file.
Text PathToText(const QString& path) {
    const std::string utf8 = path.toStdString();
    Text text = Utf8ToAnsi(Bytes(utf8));
    if (text.empty() || AnsiToUtf8(text).str() != utf8) {
        return Text();
    }
    return text;
}

}  // namespace

bool IsInstalledProgramDirectory(const QString& dir) {
    static const std::array<const char*, 8> kSystemDirectories = {
        "/usr/bin",        "/bin",       "/usr/sbin",       "/sbin", "/usr/local/bin",
        "/usr/local/sbin", "/usr/games", "/usr/local/games"};
    const QString canonical = Canonical(dir);
    for (const char* system : kSystemDirectories) {
        if (canonical == Canonical(QString::fromLatin1(system))) {
            return true;
        }
    }
    return QFileInfo(
               QDir(dir).filePath(QStringLiteral("../share/applications/qinghe-rank.desktop")))
        .isFile();
}

bool PrepareWritableDirectory(const QString& dir) {
    if (dir.isEmpty() || !QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
        return false;
    }
    // Permission bits say nothing for root or on a read-only mount: try it.
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".qinghe-write-probe-XXXXXX")));
    return probe.open();
}

SiteDirectoryChoice ChooseSiteDirectoryIn(const QString& programDir, const QString& userDataDir,
                                          const PrepareDirectory& prepare) {
    const QString siteName = QString::fromUtf8(kSiteDirectoryNameUtf8);
    QString besideProgram;
    if (!programDir.isEmpty()) {
        const QDir program(programDir);
        besideProgram = program.filePath(siteName);
        if (QFileInfo::exists(program.filePath(QString::fromLatin1(kPortableMarkerName)))) {
            return {besideProgram, true, prepare(besideProgram), true};
        }
        const bool mayCreate = !IsInstalledProgramDirectory(programDir);
        if ((mayCreate || QFileInfo(besideProgram).isDir()) && prepare(besideProgram)) {
            return {besideProgram, true, true};
        }
    }
    if (!userDataDir.isEmpty()) {
        const QString inDataDir = QDir(userDataDir).filePath(siteName);
        if (prepare(inDataDir)) {
            return {inDataDir, false, true};
        }
    }
    return {besideProgram, true, false};
}

QString UserDataDirectory() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("qinghe-rank"));
}

SiteDirectoryChoice LocateSiteDirectory(const Text& programDirectory) {
    const QString programDir =
        programDirectory.empty() ? QString() : QStringFromText(programDirectory);
    return ChooseSiteDirectoryIn(programDir, UserDataDirectory(), [](const QString& dir) {
        return !PathToText(dir).empty() && PrepareWritableDirectory(dir);
    });
}

Text ChooseSiteDirectory(const Text& programDirectory) {
    const SiteDirectoryChoice choice = LocateSiteDirectory(programDirectory);
    if (!choice.usable) {
        QString tried = choice.directory;
        const QString dataDir = UserDataDirectory();
        if (!choice.forced && !dataDir.isEmpty()) {
            tried += QStringLiteral("，") +
                     QDir(dataDir).filePath(QString::fromUtf8(kSiteDirectoryNameUtf8));
        }
        qWarning("qinghe-rank: 网站目录无法创建或写入：%s", qUtf8Printable(tried));
    }
    const Text directory = PathToText(choice.directory);
    // Program directory unknown: the bare name, relative to the current directory.
    return directory.empty() ? Utf8ToAnsi(Bytes(std::string_view(kSiteDirectoryNameUtf8)))
                             : directory;
}

Text ChooseSiteDirectory() {
    return ChooseSiteDirectory(RunDirectory());
}

}  // namespace qinghe

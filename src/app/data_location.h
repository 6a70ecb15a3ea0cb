// Where the site directory "排名网站" lives. Beside the program when that place
// can hold it (the portable case: the program and its sites travel together),
// otherwise in the user's data directory. A file named "portable" beside the
// program keeps the sites there whatever happens.
#pragma once

#include <QString>
#include <functional>

#include "text/text.h"

namespace qinghe {

// The site directory's name in UTF-8, as Qt paths carry it.
extern const char kSiteDirectoryNameUtf8[];  // "排名网站"
// A file of this name beside the program forces the portable case.
extern const char kPortableMarkerName[];  // "portable"

struct SiteDirectoryChoice {
    QString directory;      // absolute path of the site directory
    bool portable = false;  // beside the program, not in the user data directory
    bool usable = false;    // the directory exists and files can be created in it
    bool forced = false;    // by the "portable" file; the user data directory was not tried
};

// Makes sure dir exists (creating missing parents) and that a file can be
// created in it; false when either fails.
using PrepareDirectory = std::function<bool(const QString& dir)>;

// The choice itself, without looking at the environment:
// - "portable" beside the program: the directory beside the program, usable or not;
// - else the directory beside the program when prepare() succeeds for it; for an
//   installed program (IsInstalledProgramDirectory) only when that directory
//   exists already: an installed program's directory is shared by every user and
//   belongs to the package manager or the installer, even where the user (or
//   root) could write to it, so nothing new is made there;
// - else <userDataDir>/排名网站 when prepare() succeeds for it;
// - else the directory beside the program, marked unusable.
// programDir empty means "unknown": only the user data directory is tried.
// userDataDir empty means there is none.
SiteDirectoryChoice ChooseSiteDirectoryIn(const QString& programDir, const QString& userDataDir,
                                          const PrepareDirectory& prepare);

// The real PrepareDirectory: mkpath, then a probe file created and removed (the
// probe's name begins with a dot and does not end in ".txt", so it is never
// listed as a site even if it were left behind).
bool PrepareWritableDirectory(const QString& dir);

// True when dir is one of the directories the system's packages put programs in
// (/usr/bin, /usr/local/bin, ...), or the bin directory of an install tree:
// dir/../share/applications/qinghe-rank.desktop exists.
bool IsInstalledProgramDirectory(const QString& dir);

// This user's data directory for the program: $XDG_DATA_HOME/qinghe-rank
// (~/.local/share/qinghe-rank by default, or the platform's equivalent); empty
// when the platform has none.
QString UserDataDirectory();

// The choice for a program in programDirectory (a code-page-936 text, empty
// when unknown), with UserDataDirectory() and the real file system. Paths that
// code page 936 cannot spell are not used.
SiteDirectoryChoice LocateSiteDirectory(const Text& programDirectory);

// The site directory as a code-page-936 text, for the store. When no place can
// hold it, a warning naming the places tried goes to stderr and the directory
// beside the program is returned, so the window starts as it would without this
// choice (reads give nothing, writes fail).
Text ChooseSiteDirectory(const Text& programDirectory);
// The same for this process: ChooseSiteDirectory(RunDirectory()).
Text ChooseSiteDirectory();

}  // namespace qinghe

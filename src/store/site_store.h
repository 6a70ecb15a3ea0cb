// The store layer: the site directory (one GBK keyword file per site), the site
// list, the current site's keyword list and the keyword editing handlers. The
// handlers reach the window only through Form and read control state afresh.
//
// Site file: the site address followed by ".txt" in the site directory; its
// content is every keyword followed by "##" (kw1##kw2##). Every change goes
// through the text layer's atomic WriteWholeFile, so an interrupted write leaves
// the old content or the new one.
#pragma once

#include "form/form.h"
#include "text/text.h"

namespace qinghe {

// Name of the site directory beside the program.
extern const Text kSiteDirectoryName;  // "排名网站"
// What follows every keyword in a site file.
extern const Text kKeywordSeparator;  // "##"

class SiteStore {
public:
    // siteDirectory: the directory holding the site files (absolute, or relative
    // to the current directory). keywords: the process-wide KeywordArray, which
    // LoadKeywords and KeywordExists replace and the rank query reads.
    SiteStore(Form& form, TextArray& keywords, Text siteDirectory);

    void RefreshSiteList();
    void AddSite();
    void DeleteSite();
    void LoadKeywords();
    void AddKeyword();
    bool KeywordExists();
    void DeleteKeyword();
    // The list view's current row changed: its keyword goes into 编辑框_关键词.
    void CopyCurrentRowKeyword();

    // The site file of a site address.
    Text SiteFileName(const Text& address) const;
    const Text& SiteDirectory() const { return m_siteDirectory; }

private:
    // The site file named by the site list's text, or the empty text when that
    // text holds a path separator (a typed name must not reach outside the site
    // directory).
    Text CurrentSiteFile();
    // Whether a file of exactly this name is listed in the site directory (under
    // the file system's own rules for letter case).
    bool SiteFileListed(const Text& fileName) const;

    Form& m_form;
    TextArray& m_keywords;
    Text m_siteDirectory;
};

// True when the address can be a file name on Windows and on Linux: it holds
// none of \ : * ? " < > | and no control character (two-byte characters are
// stepped over whole, so a trail byte never counts as one of these).
bool IsStorableAddress(const Text& address);

// The raw bytes of a site file without the entries equal to keyword (byte for
// byte) that are followed by "##"; each goes together with its "##". Entries are
// cut as SplitText cuts the file's text. Other entries, a last entry without "##"
// and every byte from the first zero byte on stay exactly as they are. removed
// receives the number of entries taken out.
Bytes RemoveKeywordEntries(const Bytes& content, const Text& keyword, int& removed);

}  // namespace qinghe

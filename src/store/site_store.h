// The store layer: the site directory (one GBK keyword file per site), the site
// list, the current site's keyword list and the keyword editing handlers. The
// handlers reach the window only through Form and read control state afresh.
#pragma once

#include "form/form.h"
#include "text/text.h"

namespace qinghe {

// Name of the site directory beside the program.
extern const Text kSiteDirectoryName;  // "排名网站"

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
    Form& m_form;
    TextArray& m_keywords;
    Text m_siteDirectory;
};

}  // namespace qinghe

#include "store/site_store.h"

#include <string_view>

#include "text/files.h"

namespace qinghe {

// The window's texts are code page 936 bytes; the Chinese wording follows each.
const Text kSiteDirectoryName = "\xC5\xC5\xC3\xFB\xCD\xF8\xD5\xBE";  // 排名网站
const Text kKeywordSeparator = "##";

namespace {

constexpr EditBox kAddressBox = EditBox::编辑框_网站地址;
constexpr EditBox kKeywordBox = EditBox::编辑框_关键词;
constexpr ComboBox kSiteList = ComboBox::组合框_网站列表;

const Text kSiteFileSuffix = ".txt";

// 请输入网站地址！
const Text kMsgEnterAddress = "\xC7\xEB\xCA\xE4\xC8\xEB\xCD\xF8\xD5\xBE\xB5\xD8\xD6\xB7\xA3\xA1";
// 网站地址已经存在！
const Text kMsgSiteExists =
    "\xCD\xF8\xD5\xBE\xB5\xD8\xD6\xB7\xD2\xD1\xBE\xAD\xB4\xE6\xD4\xDA\xA3\xA1";
// 网站地址含有不能用作文件名的字符！
const Text kMsgAddressNotStorable =
    "\xCD\xF8\xD5\xBE\xB5\xD8\xD6\xB7\xBA\xAC\xD3\xD0\xB2\xBB\xC4\xDC\xD3\xC3\xD7\xF7\xCE\xC4"
    "\xBC\xFE\xC3\xFB\xB5\xC4\xD7\xD6\xB7\xFB\xA3\xA1";
// 添加网站成功！ / 添加网站失败！
const Text kMsgSiteAdded = "\xCC\xED\xBC\xD3\xCD\xF8\xD5\xBE\xB3\xC9\xB9\xA6\xA3\xA1";
const Text kMsgSiteAddFailed = "\xCC\xED\xBC\xD3\xCD\xF8\xD5\xBE\xCA\xA7\xB0\xDC\xA3\xA1";
// 是否要删除网站 (followed by the site and "?") / 删除网站确认
const Text kAskDeleteSite = "\xCA\xC7\xB7\xF1\xD2\xAA\xC9\xBE\xB3\xFD\xCD\xF8\xD5\xBE";
const Text kAskDeleteSiteCaption = "\xC9\xBE\xB3\xFD\xCD\xF8\xD5\xBE\xC8\xB7\xC8\xCF";
// 删除网站成功！ / 删除网站失败！
const Text kMsgSiteDeleted = "\xC9\xBE\xB3\xFD\xCD\xF8\xD5\xBE\xB3\xC9\xB9\xA6\xA3\xA1";
const Text kMsgSiteDeleteFailed = "\xC9\xBE\xB3\xFD\xCD\xF8\xD5\xBE\xCA\xA7\xB0\xDC\xA3\xA1";
// 关键词已经存在！
const Text kMsgKeywordExists = "\xB9\xD8\xBC\xFC\xB4\xCA\xD2\xD1\xBE\xAD\xB4\xE6\xD4\xDA\xA3\xA1";
// 请填写关键字！
const Text kMsgEnterKeyword = "\xC7\xEB\xCC\xEE\xD0\xB4\xB9\xD8\xBC\xFC\xD7\xD6\xA3\xA1";
// 请选择要查询的网站！
const Text kMsgChooseSiteToQuery =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xD2\xAA\xB2\xE9\xD1\xAF\xB5\xC4\xCD\xF8\xD5\xBE\xA3\xA1";
// 添加关键词成功！ / 添加关键词失败！
const Text kMsgKeywordAdded = "\xCC\xED\xBC\xD3\xB9\xD8\xBC\xFC\xB4\xCA\xB3\xC9\xB9\xA6\xA3\xA1";
const Text kMsgKeywordAddFailed =
    "\xCC\xED\xBC\xD3\xB9\xD8\xBC\xFC\xB4\xCA\xCA\xA7\xB0\xDC\xA3\xA1";
// 请选择目标网站！
const Text kMsgChooseTargetSite =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xC4\xBF\xB1\xEA\xCD\xF8\xD5\xBE\xA3\xA1";
// 请选择要删除的关键词！
const Text kMsgChooseKeywordToDelete =
    "\xC7\xEB\xD1\xA1\xD4\xF1\xD2\xAA\xC9\xBE\xB3\xFD\xB5\xC4\xB9\xD8\xBC\xFC\xB4\xCA\xA3\xA1";
// 删除关键词成功！ / 删除关键词失败！
const Text kMsgKeywordDeleted = "\xC9\xBE\xB3\xFD\xB9\xD8\xBC\xFC\xB4\xCA\xB3\xC9\xB9\xA6\xA3\xA1";
const Text kMsgKeywordDeleteFailed =
    "\xC9\xBE\xB3\xFD\xB9\xD8\xBC\xFC\xB4\xCA\xCA\xA7\xB0\xDC\xA3\xA1";

// A listed file name without its final ".txt": a.txt.txt is the site a.txt.
Text AddressOfFileName(const Text& fileName) {
    const int suffix = TextLength(kSiteFileSuffix);
    return TextLeft(fileName, TextLength(fileName) - suffix);
}

// Steps one character of a code-page-936 byte string: two bytes for a lead byte
// (0x80 or more), one otherwise.
std::size_t CharLength(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]) >= 0x80 ? 2 : 1;
}

// Whether the text holds a path separator of this platform, stepping two-byte
// characters whole.
bool HoldsPathSeparator(const Text& text) {
    const std::string_view s = text.view();
    const std::string_view separator = kPathSeparator.view();
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        if (s[i] == '/' || s.substr(i, separator.size()) == separator)
            return true;
    }
    return false;
}

}  // namespace

bool IsStorableAddress(const Text& address) {
    static constexpr std::string_view kForbidden = "\\:*?\"<>|";
    const std::string_view s = address.view();
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
        const auto byte = static_cast<unsigned char>(s[i]);
        if (byte < 0x20 || kForbidden.find(s[i]) != std::string_view::npos)
            return false;
        // A lead byte with nothing after it is no character at all.
        if (byte >= 0x80 && i + 1 == s.size())
            return false;
    }
    return true;
}

Bytes RemoveKeywordEntries(const Bytes& content, const Text& keyword, int& removed) {
    removed = 0;
    const std::string_view all = content.view();
    // The text of a site file ends at its first zero byte; the rest is kept as is.
    const std::string_view text = all.substr(0, all.find('\0'));
    const std::string_view separator = kKeywordSeparator.view();
    const std::string_view wanted = keyword.view();

    Bytes result;
    std::vector<std::uint8_t>& out = result.vec();
    out.reserve(all.size());
    const auto keep = [&out](std::string_view piece) {
        out.insert(out.end(), piece.begin(), piece.end());
    };

    // The same cut as SplitText: a separator counts only where a character starts.
    std::size_t entryStart = 0;
    std::size_t i = 0;
    while (text.size() - i >= separator.size()) {
        if (text.substr(i, separator.size()) == separator) {
            const std::string_view entry = text.substr(entryStart, i - entryStart);
            if (entry == wanted) {
                ++removed;
            } else {
                keep(text.substr(entryStart, i + separator.size() - entryStart));
            }
            i += separator.size();
            entryStart = i;
        } else {
            i += CharLength(text, i);
        }
    }
    keep(all.substr(entryStart));
    return result;
}

SiteStore::SiteStore(Form& form, TextArray& keywords, Text siteDirectory)
    : m_form(form), m_keywords(keywords), m_siteDirectory(std::move(siteDirectory)) {}

Text SiteStore::SiteFileName(const Text& address) const {
    return JoinText(m_siteDirectory, kPathSeparator, address, kSiteFileSuffix);
}

Text SiteStore::CurrentSiteFile() {
    const Text site = m_form.ReadComboText(kSiteList);
    return HoldsPathSeparator(site) ? Text() : SiteFileName(site);
}

bool SiteStore::SiteFileListed(const Text& fileName) const {
    FileSearch search;
    const bool listed = !FindFileName(search, fileName).empty();
    EndFileSearch(search);
    return listed;
}

void SiteStore::RefreshSiteList() {
    m_form.ClearCombo(kSiteList);
    FileSearch search;
    // WriteWholeFile's temporaries never end in ".txt", so they are never listed.
    for (Text name = FindFileName(search, SiteFileName("*")); !name.empty();
         name = FindFileName(search, Text())) {
        m_form.AppendComboEntry(kSiteList, AddressOfFileName(name));
    }
    EndFileSearch(search);
}

void SiteStore::AddSite() {
    // https:// goes as http:// does: "https:" would never be found in a result,
    // and on Windows the colon would name a data stream instead of a file.
    m_form.WriteEditText(kAddressBox,
                         ReplaceText(ReplaceText(m_form.ReadEditText(kAddressBox), "http://", true),
                                     "https://", true));
    m_form.WriteEditText(kAddressBox, ReplaceText(m_form.ReadEditText(kAddressBox), "/", true));
    if (m_form.ReadEditText(kAddressBox).empty()) {
        m_form.WriteStatus(kMsgEnterAddress);
        return;
    }
    if (!IsStorableAddress(m_form.ReadEditText(kAddressBox))) {
        m_form.WriteStatus(kMsgAddressNotStorable);
        return;
    }

    bool exists = false;
    FileSearch search;
    for (Text name = FindFileName(search, SiteFileName("*")); !name.empty();
         name = FindFileName(search, Text())) {
        if (CompareText(AddressOfFileName(name), m_form.ReadEditText(kAddressBox)) == 0) {
            exists = true;
            break;
        }
    }
    EndFileSearch(search);
    if (exists) {
        m_form.WriteStatus(kMsgSiteExists);
        return;
    }

    // Created exclusively: a file of that name that the listing did not match
    // (other letter case on a case-insensitive file system, or one made meanwhile)
    // keeps its keywords.
    const Text fileName = SiteFileName(m_form.ReadEditText(kAddressBox));
    const bool created = CreateNewFile(fileName);
    if (!created && SiteFileListed(fileName)) {
        m_form.WriteStatus(kMsgSiteExists);
        return;
    }

    RefreshSiteList();
    m_form.WriteComboText(kSiteList, m_form.ReadEditText(kAddressBox));
    m_form.WriteStatus(created ? kMsgSiteAdded : kMsgSiteAddFailed);
    LoadKeywords();
}

void SiteStore::DeleteSite() {
    if (m_form.ReadComboText(kSiteList).empty())
        return;
    if (!m_form.Confirm(JoinText(kAskDeleteSite, m_form.ReadComboText(kSiteList), "?"),
                        kAskDeleteSiteCaption)) {
        return;
    }
    const Text fileName = CurrentSiteFile();
    const bool removed = !fileName.empty() && RemoveFile(fileName);
    RefreshSiteList();
    LoadKeywords();
    m_form.WriteEditText(kAddressBox, Text());
    m_form.WriteStatus(removed ? kMsgSiteDeleted : kMsgSiteDeleteFailed);
}

void SiteStore::LoadKeywords() {
    m_form.RemoveAllRows();
    const Text fileName = CurrentSiteFile();
    m_keywords = SplitText(fileName.empty() ? Text() : BytesToText(ReadWholeFile(fileName)),
                           kKeywordSeparator);
    const int count = m_keywords.Count();
    for (int i = 1; i <= count; ++i) {
        const int row = m_form.AppendRow();
        m_form.WriteCell(row, kColumnKeyword, m_keywords.At(i));
        m_form.WriteCell(row, kColumnNumber, NumberToText(i));
    }
    m_form.WriteEditText(kAddressBox, m_form.ReadComboText(kSiteList));
}

bool SiteStore::KeywordExists() {
    const Text fileName = CurrentSiteFile();
    m_keywords = SplitText(fileName.empty() ? Text() : BytesToText(ReadWholeFile(fileName)),
                           kKeywordSeparator);
    for (const Text& element : m_keywords) {
        if (CompareText(element, m_form.ReadEditText(kKeywordBox)) == 0) {
            m_form.WriteStatus(kMsgKeywordExists);
            return true;
        }
    }
    return false;
}

void SiteStore::AddKeyword() {
    if (m_form.ReadEditText(kKeywordBox).empty()) {
        m_form.WriteStatus(kMsgEnterKeyword);
        return;
    }
    if (m_form.ReadComboText(kSiteList).empty()) {
        m_form.WriteStatus(kMsgChooseSiteToQuery);
        return;
    }
    if (KeywordExists())
        return;

    const Text fileName = CurrentSiteFile();
    const bool written =
        !fileName.empty() &&
        WriteWholeFile(fileName, ReadWholeFile(fileName),
                       TextToBytes(JoinText(m_form.ReadEditText(kKeywordBox), kKeywordSeparator)));
    m_form.WriteStatus(written ? kMsgKeywordAdded : kMsgKeywordAddFailed);
    LoadKeywords();
}

void SiteStore::DeleteKeyword() {
    if (m_form.ReadComboText(kSiteList).empty()) {
        m_form.WriteStatus(kMsgChooseTargetSite);
        return;
    }
    const int row = m_form.SelectedRow();
    const Text keyword = row >= 0 ? m_form.ReadCell(row, kColumnKeyword) : Text();
    if (keyword.empty()) {
        m_form.WriteStatus(kMsgChooseKeywordToDelete);
        return;
    }

    const Text fileName = CurrentSiteFile();
    bool written = false;
    if (!fileName.empty()) {
        int removed = 0;
        const Bytes rest = RemoveKeywordEntries(ReadWholeFile(fileName), keyword, removed);
        // Nothing to take out: the file stays as it is. Rewriting it would create a
        // typed site that has no file, or empty a file that could not be read.
        written = removed == 0 || WriteWholeFile(fileName, rest);
    }
    LoadKeywords();
    m_form.WriteEditText(kKeywordBox, Text());
    m_form.WriteStatus(written ? kMsgKeywordDeleted : kMsgKeywordDeleteFailed);
}

void SiteStore::CopyCurrentRowKeyword() {
    const int row = m_form.SelectedRow();
    m_form.WriteEditText(kKeywordBox, row >= 0 ? m_form.ReadCell(row, kColumnKeyword) : Text());
}

}  // namespace qinghe

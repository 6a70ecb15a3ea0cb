#include "query/search_request.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_form.h"

namespace qinghe {
namespace {

using testing::FakeForm;

struct EncodeCase {
    const char* name;
    Text input;
    bool keepPlain;
    bool asUtf8;
    Text expected;
};

class UrlEncodeTable : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(UrlEncodeTable, Encodes) {
    const EncodeCase& c = GetParam();
    EXPECT_EQ(UrlEncode(c.input, c.keepPlain, c.asUtf8).str(), c.expected.str());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlEncodeTable,
    ::testing::Values(EncodeCase{"PathCharactersStay", "a-b.c/d,e", true, false, "a-b.c/d,e"},
                      EncodeCase{"UnderscoreEncoded", "a_b", true, false, "a%5Fb"},
                      EncodeCase{"TildeEncoded", "A~B", true, false, "A%7EB"},
                      EncodeCase{"QuerySyntaxEncoded", "x&y=z", true, false, "x%26y%3Dz"},
                      EncodeCase{"PlusAndPercentEncoded", "1+1%", true, false, "1%2B1%25"},
                      EncodeCase{"SpaceIsPercentTwenty", "a b", true, false, "a%20b"},
                      EncodeCase{"LineFeedHasTwoDigits", "a\nb", true, false, "a%0Ab"},
                      EncodeCase{"LettersKeepTheirCase", "AbC", true, false, "AbC"},
                      EncodeCase{"EveryByteWithoutKeepPlain", "abc", false, false, "%61%62%63"},
                      EncodeCase{"PathCharactersWithoutKeepPlain", "-9", false, false, "%2D%39"},
                      EncodeCase{"GbkBytesEachOwnGroup", "\xC5\xC5\xC3\xFB", true, false,
                                 "%C5%C5%C3%FB"},
                      EncodeCase{"Utf8OfAGbkCharacter", "\xC5\xC5", false, true, "%E6%8E%92"},
                      EncodeCase{"Utf8KeepsPlainAscii", "a\xC5\xC5", true, true, "a%E6%8E%92"},
                      EncodeCase{"EmptyGivesEmpty", "", true, false, ""}),
    [](const ::testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

// The set of bytes left plain is exactly , - . / 0-9 A-Z a-z; every other byte
// becomes %XX with upper-case hexadecimal digits.
TEST(UrlEncode, KeepsExactlyThePlainBytes) {
    const std::string plain = ",-./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    for (int b = 1; b <= 255; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        const char hex[] = "0123456789ABCDEF";
        const std::string encoded = {'%', hex[b >> 4], hex[b & 15]};
        const bool kept = plain.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(UrlEncode(byte, true).str(), kept ? byte : encoded);
        EXPECT_EQ(UrlEncode(byte).str(), encoded);
    }
}

TEST(UrlEncode, LetsTheWindowProcessEventsAfterEveryByte) {
    FakeForm form;
    EXPECT_EQ(UrlEncode("a\xC5\xC5 ", true, false, &form).str(), "a%C5%C5%20");
    EXPECT_EQ(form.eventRounds, 4);

    FakeForm utf8Form;
    UrlEncode("\xC5\xC5", true, true, &utf8Form);
    EXPECT_EQ(utf8Form.eventRounds, 3);  // the three UTF-8 bytes

    FakeForm idle;
    UrlEncode("", true, false, &idle);
    EXPECT_EQ(idle.eventRounds, 0);
}

constexpr const char* kFixedFields =
    "&rsv_bp=0&rsv_spt=3&rsv_sug3=7&rsv_sug=0&rsv_sug4=312&rsv_sug1=6&pn=";

TEST(SearchRequest, BuildsTheTenFieldsInOrder) {
    // 排名 abc, page 2, inputT 3000.
    EXPECT_EQ(SearchRequest("www.baidu.com", "\xC5\xC5\xC3\xFB abc", 100, 3000).str(),
              "http://www.baidu.com/s?wd=%C5%C5%C3%FB%20abc&rsv_bp=0&rsv_spt=3&rsv_sug3=7"
              "&rsv_sug=0&rsv_sug4=312&rsv_sug1=6&pn=100&rn=100&inputT=3000");
}

TEST(SearchRequest, PageOffsetsAndHosts) {
    struct Case {
        const char* host;
        int offset;
        int inputT;
    };
    for (const Case c : {Case{"www.baidu.com", 0, 1221}, Case{"www.baidu.com", 300, 6894},
                         Case{"www.baidu.com", 700, 4000}, Case{"127.0.0.1:8123", 0, 5000}}) {
        SCOPED_TRACE(std::string(c.host) + " pn " + std::to_string(c.offset));
        EXPECT_EQ(SearchRequest(c.host, "k", c.offset, c.inputT).str(),
                  std::string("http://") + c.host + "/s?wd=k" + kFixedFields +
                      std::to_string(c.offset) + "&rn=100&inputT=" + std::to_string(c.inputT));
    }
}

TEST(SearchRequest, EmptyKeywordLeavesTheFieldEmpty) {
    const std::string url = SearchRequest("www.baidu.com", "", 0, 2000).str();
    EXPECT_EQ(url.rfind("http://www.baidu.com/s?wd=&rsv_bp=0&", 0), 0u) << url;
}

TEST(SearchRequest, EncodesTheKeywordThroughTheForm) {
    FakeForm form;
    SearchRequest("www.baidu.com", "a&b", 0, 2000, &form);
    EXPECT_EQ(form.eventRounds, 3);
}

}  // namespace
}  // namespace qinghe

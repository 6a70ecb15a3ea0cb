// A real MainWindow over a temporary program directory, shown on the offscreen
// platform, with helpers to reach its controls by their object names.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "store/site_store.h"
#include "support/test_data.h"
#include "text/files.h"

namespace qinghe::testing {

// The application lives from before the first test to after the last, and is
// gone before the process exits: Qt's own statics must outlive it.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { App(); }
    void TearDown() override { m_app.reset(); }
    QApplication& App() {
        if (!m_app)
            m_app = std::make_unique<QApplication>(m_argc, m_argv);
        return *m_app;
    }

private:
    int m_argc = 1;
    char m_name[10] = "app_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

inline QtEnvironment* const kQtEnvironment =
    static_cast<QtEnvironment*>(::testing::AddGlobalTestEnvironment(new QtEnvironment));

inline QApplication& TestApp() {
    return kQtEnvironment->App();
}

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}
// A code-page-936 text from UTF-8 source text.
inline Text Gbk(const char* utf8) {
    return ToText(U(utf8));
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }
    void TearDown() override { m_window.reset(); }

    std::filesystem::path SiteDir() const {
        return m_program.path() / std::filesystem::path(u8"排名网站");
    }
    Text SiteDirText() const {
        return JoinText(Text(m_program.path().string()), kPathSeparator, kSiteDirectoryName);
    }
    void WriteSiteFile(const std::string& utf8Name, const std::string& bytes) {
        std::filesystem::create_directories(SiteDir());
        std::ofstream(SiteDir() / std::filesystem::u8path(utf8Name + ".txt"), std::ios::binary)
            << bytes;
    }
    std::string SiteFileBytes(const std::string& utf8Name) const {
        return ReadTestFile(SiteDir() / std::filesystem::u8path(utf8Name + ".txt"));
    }
    bool SiteFileExists(const std::string& utf8Name) const {
        return std::filesystem::exists(SiteDir() / std::filesystem::u8path(utf8Name + ".txt"));
    }

    // Creates the window, runs its created event and shows it.
    MainWindow& Start(QuerySettings settings = {}) {
        m_window = std::make_unique<MainWindow>(m_keywords, SiteDirText(), std::move(settings));
        m_window->OnCreated();
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        return *m_window;
    }
    MainWindow& window() { return *m_window; }

    template <typename W = QWidget>
    W* Find(const char* name) {
        W* widget = m_window->findChild<W*>(U(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TempDir m_program;
    TextArray m_keywords;
    std::unique_ptr<MainWindow> m_window;
};

}  // namespace qinghe::testing

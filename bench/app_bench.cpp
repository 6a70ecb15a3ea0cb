// The window with large data: 100 000 keywords loaded into the list view, a
// keyword added to and deleted from a site of 100 000, and start-up over 5 000
// site files. Runs on the offscreen platform unless QT_QPA_PLATFORM says else.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "app/main_window.h"
#include "store/site_store.h"
#include "text/files.h"

namespace {

using qinghe::MainWindow;
using qinghe::Text;
using qinghe::TextArray;

constexpr int kKeywords = 100000;
constexpr int kSites = 5000;

class ProgramDir {
public:
    ProgramDir() {
        std::random_device rd;
        m_path = std::filesystem::temp_directory_path() /
                 ("qinghe-bench-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(sites());
    }
    ~ProgramDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::filesystem::path sites() const { return m_path / std::filesystem::path(u8"排名网站"); }
    Text siteText() const {
        return qinghe::JoinText(Text(m_path.string()), qinghe::kPathSeparator,
                                qinghe::kSiteDirectoryName);
    }
    void write(const std::string& site, const std::string& bytes) const {
        std::ofstream(sites() / (site + ".txt"), std::ios::binary) << bytes;
    }

private:
    std::filesystem::path m_path;
};

// Keywords as users type them: a two-byte word and a number (GBK "关键词").
std::string ManyKeywords(int n) {
    std::string content;
    for (int i = 1; i <= n; ++i) {
        content += "\xB9\xD8\xBC\xFC\xB4\xCA" + std::to_string(i) + "##";
    }
    return content;
}

template <typename W>
W* Find(MainWindow& window, const char* name) {
    return window.findChild<W*>(QString::fromUtf8(name));
}

// Picks entry 0 of the site list as the user does and waits until the rows are painted.
void PickFirstSite(MainWindow& window) {
    auto* sites = Find<QComboBox>(window, "组合框_网站列表");
    sites->setCurrentIndex(0);
    emit sites->activated(0);
    QCoreApplication::processEvents();
    Find<QTableView>(window, "超级列表框_关键词排名")->viewport()->repaint();
}

struct BigSite {
    ProgramDir dir;
    TextArray keywords;
    std::unique_ptr<MainWindow> window;
    BigSite() {
        dir.write("big.example", ManyKeywords(kKeywords));
        window = std::make_unique<MainWindow>(keywords, dir.siteText());
        window->OnCreated();
        window->show();
        QCoreApplication::processEvents();
    }
    int rows() { return Find<QTableView>(*window, "超级列表框_关键词排名")->model()->rowCount(); }
};

void BM_LoadKeywords100k(benchmark::State& state) {
    BigSite site;
    for (auto _ : state) {
        PickFirstSite(*site.window);
    }
    if (site.rows() != kKeywords)
        state.SkipWithError("rows not shown");
}
BENCHMARK(BM_LoadKeywords100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void AddKeyword(MainWindow& window) {
    Find<QLineEdit>(window, "编辑框_关键词")->setText(QStringLiteral("new keyword"));
    Find<QPushButton>(window, "按钮_添加关键词")->click();
    QCoreApplication::processEvents();
}

void DeleteLastKeyword(MainWindow& window) {
    auto* view = Find<QTableView>(window, "超级列表框_关键词排名");
    view->selectRow(view->model()->rowCount() - 1);
    Find<QPushButton>(window, "按钮_删除关键词")->click();
    QCoreApplication::processEvents();
}

void BM_AddKeywordTo100k(benchmark::State& state) {
    BigSite site;
    PickFirstSite(*site.window);
    for (auto _ : state) {
        AddKeyword(*site.window);
        state.PauseTiming();
        DeleteLastKeyword(*site.window);
        state.ResumeTiming();
    }
    if (site.rows() != kKeywords)
        state.SkipWithError("keyword list changed");
}
BENCHMARK(BM_AddKeywordTo100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_DeleteKeywordFrom100k(benchmark::State& state) {
    BigSite site;
    PickFirstSite(*site.window);
    for (auto _ : state) {
        state.PauseTiming();
        AddKeyword(*site.window);
        state.ResumeTiming();
        DeleteLastKeyword(*site.window);
    }
    if (site.rows() != kKeywords)
        state.SkipWithError("keyword list changed");
}
BENCHMARK(BM_DeleteKeywordFrom100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_StartUp5000Sites(benchmark::State& state) {
    ProgramDir dir;
    for (int i = 0; i < kSites; ++i)
        dir.write("site" + std::to_string(i) + ".example", "");
    int listed = 0;
    for (auto _ : state) {
        TextArray keywords;
        auto window = std::make_unique<MainWindow>(keywords, dir.siteText());
        window->OnCreated();
        window->show();
        QCoreApplication::processEvents();
        window->repaint();
        state.PauseTiming();
        listed = Find<QComboBox>(*window, "组合框_网站列表")->count();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (listed != kSites)
        state.SkipWithError("sites not listed");
}
BENCHMARK(BM_StartUp5000Sites)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

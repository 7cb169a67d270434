// Benchmarks of the window on a large schema served by the stand-in:
//   pellam_benchmark fill|generate|translate PASSWORD DATABASE OUTPUT HOST [LATENT_HOST=MS]...
// With one host, each round times the window and then a floor (a bare loop
// asking the same questions in the same batches, and for generate writing
// the same bytes to an empty folder); with latent hosts (each a server that delays its
// replies, named with the delay each way it stands for), each round times
// the window against the plain server and then against each latent one, in
// turn. Three rounds; the medians are printed, and the ratios to the plain
// server's median, the latency costs.

#include "app/Main.h"
#include "generator/Translate.h"
#include "catalog/Dbmodule.h"
#include "platform/Files.h"
#include "platform/Forms.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

namespace {

double Seconds(const std::function<void()>& work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class Answer : public platform::MessageBoxService {
public:
    int MessageBox(const std::string& text, const std::string&, int flags) override
    {
        if ((flags & 0x0F) != platform::MB_YESNO)
            std::fprintf(stderr, "message: %s\n", text.c_str());
        return platform::IDNO;
    }
};

const int kRounds = 3;

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: %s fill|generate|translate PASSWORD DATABASE OUTPUT HOST "
                     "[LATENT_HOST=MS]...\n",
                     argv[0]);
        return 2;
    }
    std::string mode = argv[1], password = argv[2], database = argv[3], out = argv[4];
    std::vector<std::string> hosts = {argv[5]}, delays = {"0"};
    for (int i = 6; i < argc; ++i) {
        std::string arg = argv[i];
        std::size_t eq = arg.find('=');
        hosts.push_back(arg.substr(0, eq));
        delays.push_back(eq == std::string::npos ? "?" : arg.substr(eq + 1));
    }
    platform::TFormsApplication app(argc, argv);
    Answer answers;
    platform::Application.SetMessageBoxService(&answers);
    MainForm = new TMainForm;
    DBData = new TDBData;
    MainForm->ShowForm();
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    MainForm->ProgramFolder = out;
    MainForm->OpenFolder = [](const std::string&) { return true; };
    MainForm->RadioButton2->Click();
    MainForm->LabeledEdit2->SetText(password);

    // Logs the window in to a host and selects the database: the fill.
    auto fill = [&](const std::string& host) {
        MainForm->LabeledEdit1->SetText(host);
        MainForm->BitBtn2Click();
        for (int i = 0; i < MainForm->ComboBox1->Count(); ++i)
            if (MainForm->ComboBox1->Item(i) == database)
                MainForm->ComboBox1->SetItemIndex(i);
        return Seconds([] { MainForm->ComboBox1Select(); });
    };
    // A fresh generation, into an empty folder, timed; then the same again,
    // every file already there with its bytes (nothing written), timed apart.
    std::vector<double> again;
    auto generate = [&](const std::string& host) {
        fill(host);
        std::filesystem::remove_all(out + "/Output");
        double fresh = Seconds([] { MainForm->BitBtn1Click(); });
        again.push_back(Seconds([] { MainForm->BitBtn1Click(); }));
        return fresh;
    };
    // 翻译全部 on every node of the trees just filled.
    // Every node is first given a Chinese text, so that each one changes,
    // as on a Chinese database.
    auto translate = [&](const std::string& host) {
        fill(host);
        for (platform::TTreeView* tree : {MainForm->TreeView1, MainForm->TreeView2})
            for (int i = 0; i < tree->Count(); ++i) {
                platform::TTreeNode* node = tree->Item(i);
                node->SetText("表" + node->Text());
                for (int c = 0; c < node->Count(); ++c)
                    node->Item(c)->SetText("字段" + node->Item(c)->Text());
            }
        return Seconds([] { MainForm->A1Click(); });
    };
    auto measure = [&](const std::string& host) {
        return mode == "fill" ? fill(host) : mode == "translate" ? translate(host) : generate(host);
    };
    // The same questions from a bare loop, and the same bytes written.
    auto floor = [&](const std::string& host) {
        if (mode == "translate") {
            // The translation alone, without a tree.
            DatabaseSchema labelled = MainForm->LabelledSchema();
            return Seconds([&] { TranslateLabels(labelled); });
        }
        TDBData bare;
        bare.Connect(true, host, password, database);
        SchemaObjects tables = MainForm->Schema.Tables, views = MainForm->Schema.Views;
        std::vector<std::pair<std::string, std::string>> files;
        std::error_code none;
        for (const auto& e : std::filesystem::recursive_directory_iterator(out + "/Output", none))
            if (e.is_regular_file()) {
                std::ifstream in(e.path(), std::ios::binary);
                std::stringstream s;
                s << in.rdbuf();
                files.emplace_back(e.path().filename().string(), s.str());
            }
        std::string plain = out + "/plain";
        std::filesystem::remove_all(plain);
        std::filesystem::create_directories(plain);
        return Seconds([&] {
            if (mode == "fill") {
                std::vector<ColumnList> columns;
                bare.GetColumnLists(tables, columns);
                bare.GetColumnLists(views, columns);
                return;
            }
            std::vector<IdentityNames> ids;
            bare.GetIdentityColumnLists(tables, ids);
            // Made in the small folder above and moved, as a run does.
            for (const auto& [name, text] : files)
                platform::WriteWholeFileStaged(std::string(plain).append("/").append(name), text,
                                               out);
        });
    };

    // times[h]: the rounds against host h; with one host, [1] is the floor.
    std::vector<std::vector<double>> times(std::max<std::size_t>(hosts.size(), 2));
    for (int round = 0; round < kRounds; ++round) {
        times[0].push_back(measure(hosts[0]));
        if (hosts.size() == 1)
            times[1].push_back(floor(hosts[0]));
        for (std::size_t h = 1; h < hosts.size(); ++h)
            times[h].push_back(measure(hosts[h]));
    }
    std::size_t tables = MainForm->TableNames.size(), views = MainForm->ViewNames.size();
    std::printf("tables %zu, views %zu; %d rounds, medians\n", tables, views, kRounds);
    std::printf("statements per batch: at most %zu bytes\n", TDBData::kBatchBytes);
    const char* what = mode == "fill"        ? "selection to filled trees"
                       : mode == "translate" ? "translation of every node"
                                             : "generation";
    std::printf("%s: %.3f s\n", what, Median(times[0]));
    if (!again.empty())
        std::printf("generation again, every file unchanged: %.3f s\n", Median(again));
    if (hosts.size() == 1) {
        std::printf("floor (%s): %.3f s\n",
                    mode == "fill"        ? "the same batches from a bare loop"
                    : mode == "translate" ? "the labels translated without the trees"
                                          : "the same batches from a bare loop, the same bytes "
                                            "written plainly",
                    Median(times[1]));
        std::printf("%s/floor = %.2f\n", mode.c_str(), Median(times[0]) / Median(times[1]));
    }
    for (std::size_t h = 1; h < hosts.size(); ++h)
        std::printf("%s, %s ms each way: %.3f s\n", what, delays[h].c_str(), Median(times[h]));
    for (std::size_t h = 1; h < hosts.size(); ++h)
        std::printf("%s latency cost at %s ms = %.2f\n", mode.c_str(), delays[h].c_str(),
                    Median(times[h]) / Median(times[0]));
    delete DBData;
    delete MainForm;
    return 0;
}

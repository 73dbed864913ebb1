// Job list responsiveness with 1,000 jobs in the real main window: add 1,000 files (as the open-file
// dialog would hand them over), Select All, Invert Selection, and delete every second row, each step
// followed by the repaint the user waits for.
//
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_joblist [rounds]
// (or under xvfb-run for a real X server). Prints the median and worst time of each step in milliseconds.
#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "settings/Settings.h"

namespace {
using Clock = std::chrono::steady_clock;

double Measure(const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    QApplication::processEvents();  // the repaint belongs to what the user waits for
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}
}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    platform::SetProgramDirectory(dir.path().toStdString() + "/");
    platform::MessageBox::SetScripted(true);
    platform::FileDialogs::SetScripted(true);

    std::vector<std::string> files;
    for (int i = 0; i < 1000; ++i)
        files.push_back("/home/user/Music/Album " + std::to_string(i / 12) + "/Track " + std::to_string(i) +
                        ".mp3");

    const char* steps[] = {"add 1000", "select all", "invert", "delete half"};
    std::map<std::string, std::vector<double>> times;
    for (int round = 0; round < rounds; ++round) {
        app::TMainForm form(settings::Settings, app::Forms);
        form.show();  // loads the settings; the limit is raised after that
        QApplication::processEvents();
        settings::Settings.MaxConverFile = 1000;

        times["add 1000"].push_back(Measure([&] {
            platform::FileDialogs::SetNextOpenFiles(files);
            form.Find<QAction>("Addfiles1")->trigger();
        }));
        times["select all"].push_back(Measure([&] { form.Find<QAction>("Selectall1")->trigger(); }));
        times["invert"].push_back(Measure([&] { form.Find<QAction>("Invertselect1")->trigger(); }));
        for (int i = 0; i < form.Find<QTreeWidget>("LV")->topLevelItemCount(); i += 2)
            form.Find<QTreeWidget>("LV")->topLevelItem(i)->setSelected(true);
        QApplication::processEvents();
        times["delete half"].push_back(Measure([&] { form.Find<QAction>("Delete1")->trigger(); }));
        if (form.Jobs().Jobs().size() != 500 || form.Find<QTreeWidget>("LV")->topLevelItemCount() != 500 ||
            form.Find<QTreeWidget>("LV")->topLevelItem(499)->text(0) != "500") {
            std::fprintf(stderr, "the list is out of step after deleting half: %zu jobs, %d rows\n",
                         form.Jobs().Jobs().size(), form.Find<QTreeWidget>("LV")->topLevelItemCount());
            return 1;
        }
        form.hide();
    }

    std::printf("%-12s %10s %10s   (%d rounds, ms)\n", "step", "median", "worst", rounds);
    for (const char* step : steps) {
        std::vector<double> t = times[step];
        std::sort(t.begin(), t.end());
        std::printf("%-12s %10.1f %10.1f\n", step, t[t.size() / 2], t.back());
    }
    return 0;
}

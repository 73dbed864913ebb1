#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "support/FileHelpers.h"

// A scratch program directory, a shell that records what it is handed, and scripted message boxes.
class ExtrasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousDir_ = platform::ProgramDirectory();
        platform::SetProgramDirectory(Dir());
        platform::SetShellOpenHandler([this](const std::string& target) { opened.push_back(target); });
        platform::MessageBox::TakeShown();
    }
    void TearDown() override {
        platform::SetShellOpenHandler([](const std::string&) {});
        platform::SetProgramDirectory(previousDir_);
        platform::MessageBox::TakeShown();
    }

    // The program directory, with its trailing delimiter.
    std::string Dir() const { return dir_.Path(); }

    void WriteFile(const std::string& relative, const std::string& bytes) const {
        std::ofstream out(Dir() + relative, std::ios::binary);
        out << bytes;
    }

    // Runs `open`, which shows a modal window; `whileOpen` sees that window, and the window is closed
    // afterwards. Returns the window that was open, or nullptr when none opened.
    static QWidget* RunModal(const std::function<void()>& open,
                             const std::function<void(QWidget*)>& whileOpen = {}) {
        QWidget* seen = nullptr;
        QTimer::singleShot(0, [&] {
            seen = QApplication::activeModalWidget();
            if (seen && whileOpen)
                whileOpen(seen);
            if (auto* dialog = qobject_cast<QDialog*>(seen))
                dialog->reject();
        });
        open();
        // When nothing opened, the pending check must not fire inside a later test.
        QApplication::processEvents();
        return seen;
    }

    std::vector<std::string> opened;

  private:
    testsupport::ScratchDir dir_;
    std::string previousDir_;
};

#pragma once
// A scripted user for the desktop program: answers the file dialog from a queue, acts on the
// framework dialog through a script, and records every message box, without blocking.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "gui/qt/DialogRunner.h"
#include "gui/qt/Plantihoras.h"

namespace velmaro::testing {

struct ShownMessageBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

struct ShownFileDialog {
    QString title;
    QStringList nameFilters;
    QString defaultSuffix;
    QFileDialog::AcceptMode acceptMode;
    QStringList buttonTexts;  // the buttons of the dialog's button box, in order
    QStringList labelTexts;   // the texts of its labels, in order
};

// Activates `window` and waits until the application has made it the active window (the
// activation event has been delivered to it).
inline bool ActivateAndWait(QWidget& window) {
    window.activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 5000);
}

// Clicks row `row` of `list` with the left button and `modifiers` (Ctrl to add or take out).
inline void ClickRow(QListWidget& list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    list.scrollToItem(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers,
                      list.visualItemRect(list.item(row)).center());
}

class ScriptedDialogs : public DialogRunner {
public:
    // Answers of the file dialog in order; nothing cancels it, and so does an empty queue.
    std::deque<std::optional<std::filesystem::path>> picks;
    // Acts on the shown, activated framework dialog; the dialog is closed afterwards (close box)
    // when the script left it open. Without a script the first framework is chosen.
    std::function<void(TPlantillas&)> frameworkScript;
    // Runs while a message box is up (for example to look at the cursor).
    std::function<void(const ShownMessageBox&)> onMessage;

    std::vector<ShownMessageBox> messages;
    std::vector<ShownFileDialog> fileDialogs;
    int frameworkDialogs = 0;

    int Run(QDialog& dialog) override {
        if (auto* box = dynamic_cast<QMessageBox*>(&dialog)) return Answer(*box);
        if (auto* files = dynamic_cast<QFileDialog*>(&dialog)) return Answer(*files);
        if (auto* frameworks = dynamic_cast<TPlantillas*>(&dialog)) return Answer(*frameworks);
        ADD_FAILURE() << "unexpected dialog " << dialog.metaObject()->className();
        return QDialog::Rejected;
    }

    std::vector<QString> Texts() const {
        std::vector<QString> texts;
        for (const auto& message : messages) texts.push_back(message.text);
        return texts;
    }

private:
    int Answer(QMessageBox& box) {
        messages.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons()});
        if (onMessage) onMessage(messages.back());
        return QMessageBox::Ok;
    }

    int Answer(QFileDialog& files) {
        files.show();
        QStringList buttonTexts;
        for (QAbstractButton* button : files.findChild<QDialogButtonBox*>()->buttons()) {
            buttonTexts << button->text();
        }
        QStringList labelTexts;
        for (QLabel* label : files.findChildren<QLabel*>()) labelTexts << label->text();
        files.hide();
        fileDialogs.push_back({files.windowTitle(), files.nameFilters(), files.defaultSuffix(),
                               files.acceptMode(), buttonTexts, labelTexts});
        std::optional<std::filesystem::path> pick;
        if (!picks.empty()) {
            pick = picks.front();
            picks.pop_front();
        }
        if (!pick) return QDialog::Rejected;
        files.selectFile(QFile::decodeName(pick->c_str()));
        return QDialog::Accepted;
    }

    int Answer(TPlantillas& frameworks) {
        ++frameworkDialogs;
        frameworks.show();
        EXPECT_TRUE(ActivateAndWait(frameworks) || !frameworks.isVisible());
        if (frameworks.isVisible()) {
            if (frameworkScript) {
                frameworkScript(frameworks);
            } else {
                ClickRow(*frameworks.findChild<QListWidget*>("ListBox2"), 0);
            }
        }
        if (frameworks.isVisible()) frameworks.close();
        QTest::qWait(0);
        return frameworks.result();
    }
};

}  // namespace velmaro::testing

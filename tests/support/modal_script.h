#pragma once

// Answers the modal dialogs a command opens, one step per dialog in the order
// they appear, as a person at the keyboard would. Dialogs beyond the script are
// recorded and dismissed so that a wrong extra box fails the test, not hangs it.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <vector>

namespace tarn::test {

struct SeenDialog {
    QString title;
    QString text; // a message box's text; a file dialog's suggested name
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton; // what Enter presses
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    QStringList buttonTexts; // in the order of `buttons`
};

class ModalScript {
  public:
    using Step = std::function<void(QDialog*)>;

    explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }

    const std::vector<SeenDialog>& seen() const { return seen_; }

  private:
    void poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == last_ || !dialog->isVisible())
            return;
        last_ = dialog;
        seen_.push_back(describe(dialog));
        if (next_ < steps_.size())
            steps_[next_++](dialog);
        else
            dialog->reject();
    }

    static SeenDialog describe(QDialog* dialog) {
        SeenDialog seen{dialog->windowTitle(), {}, {}, {}, {}, {}, {}};
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            seen.text = box->text();
            seen.icon = box->icon();
            seen.buttons = box->standardButtons();
            seen.defaultButton = box->standardButton(box->defaultButton());
            seen.escapeButton = box->standardButton(box->escapeButton());
            for (int b = QMessageBox::FirstButton; b <= QMessageBox::LastButton; b <<= 1)
                if (seen.buttons.testFlag(QMessageBox::StandardButton(b)))
                    seen.buttonTexts << box->button(QMessageBox::StandardButton(b))->text();
        } else if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            seen.text = edit->text();
        }
        return seen;
    }

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::vector<SeenDialog> seen_;
    QPointer<QDialog> last_;
    QTimer timer_;
};

// Types a full path into a file dialog's name field and presses its accept button.
inline ModalScript::Step typeFileName(const QString& path) {
    return [path](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        if (!edit || !buttons) {
            dialog->reject();
            return;
        }
        // Typing in the field drops the suggested name's selection, which would
        // otherwise win; the dialog does that only while it has the focus.
        if (auto* view = dialog->findChild<QAbstractItemView*>(QStringLiteral("listView")))
            view->clearSelection();
        edit->setText(path);
        for (QAbstractButton* button : buttons->buttons())
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                button->click();
    };
}

// Clicks one of a message box's buttons.
inline ModalScript::Step press(QMessageBox::StandardButton which) {
    return [which](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (QAbstractButton* button = box ? box->button(which) : nullptr)
            button->click();
        else
            dialog->reject();
    };
}

// A dialog as one line to compare: title, text, icon, buttons and the one Enter presses.
inline QString box(const QString& text, int icon = QMessageBox::Warning,
                   const QString& title = QStringLiteral("Tarn"), int buttons = QMessageBox::Ok,
                   int enter = QMessageBox::NoButton) {
    return QStringLiteral("%1 | %2 | icon %3, buttons %4, default %5")
        .arg(title, text)
        .arg(icon)
        .arg(buttons)
        .arg(enter);
}

// The question before a file of that name is replaced; Enter keeps the file.
inline QString replaceQuestion(const QString& name) {
    return box("「" + name + "」\n同じ名前のファイルが存在します。\n上書きしますか？",
               QMessageBox::Question, QStringLiteral("ファイルの重複問あわせ"),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

// Every dialog a script met, in that form.
inline QStringList boxes(const ModalScript& script) {
    QStringList all;
    for (const SeenDialog& s : script.seen())
        all << box(s.text, s.icon, s.title, s.buttons.toInt(), s.defaultButton);
    return all;
}

} // namespace tarn::test

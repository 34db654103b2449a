#pragma once

#include "core/UserDialogs.h"

#include <QStringList>
#include <deque>
#include <functional>

// Answers every box from queued answers (Ok / the default when none is queued) and records
// what was shown, so tests can check the texts and titles.
class FakeDialogs : public UserDialogs {
public:
    struct Shown {
        QString text;
        QString title;
        Buttons buttons;
    };

    std::deque<Answer> answers;
    std::deque<QString> inputs;   // answers to input boxes; cancelled when empty
    std::deque<QString> folders;  // answers to the folder chooser; "" when empty
    std::deque<int32_t> colors;   // answers to the colour chooser; -1 when empty
    std::vector<Shown> shown;
    std::vector<Shown> notices;    // shown without waiting for an answer
    std::function<void()> onShow;  // runs while a message box would wait for its answer
    std::vector<QPoint> placed;

    Answer message(const QString& text, const QString& title, Buttons buttons,
                   Answer defaultButton) override {
        shown.push_back({text, title, buttons});
        if (onShow)
            onShow();
        if (answers.empty())
            return defaultButton;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool input(const QString& prompt, const QString& title, const QString& defaultText,
               QString& answer) override {
        shown.push_back({prompt, title, OkCancel});
        lastInputDefault = defaultText;
        if (inputs.empty())
            return false;
        answer = inputs.front();
        inputs.pop_front();
        return true;
    }
    QString chooseFolder(const QString& prompt, const QString& initialFolder) override {
        shown.push_back({prompt, QString(), OkCancel});
        lastFolderStart = initialFolder;
        if (folders.empty())
            return {};
        QString f = folders.front();
        folders.pop_front();
        return f;
    }
    int32_t chooseColor() override {
        if (colors.empty())
            return -1;
        int32_t c = colors.front();
        colors.pop_front();
        return c;
    }
    void notify(const QString& text, const QString& title) override {
        notices.push_back({text, title, OkOnly});
    }
    void placeNext(QPoint topLeft) override { placed.push_back(topLeft); }

    QStringList texts() const {
        QStringList t;
        for (const Shown& s : shown)
            t << s.text;
        return t;
    }

    QString lastInputDefault;
    QString lastFolderStart;
};

// tests/support/message_recorder.h
#pragma once

#include "platform/message_box.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

#include <gtest/gtest.h>

// What a test that expects no message box has in place: a box fails the
// test and is answered OK, where a real one would wait for a click that
// never comes.
inline void failOnUnexpectedMessages()
{
    SetMessageBoxHandler([](const QString &text, unsigned, unsigned) {
        ADD_FAILURE() << "unexpected message: " << text.toStdString();
        return int(IDOK);
    });
}

// Answers the program's message boxes while it lives: records every text,
// buttons and icon, and answers from a script (IDYES to a question and IDOK
// otherwise once the script runs out). Afterwards a box fails the test again.
class MessageRecorder
{
  public:
    struct Box
    {
        QString text;
        unsigned buttons;
        unsigned icon;
    };

    MessageRecorder()
    {
        SetMessageBoxHandler([this](const QString &text, unsigned buttons, unsigned icon) {
            boxes.push_back({text, buttons, icon});
            if (!answers.empty()) {
                const int answer = answers.front();
                answers.pop_front();
                return answer;
            }
            const unsigned set = buttons & 0xF;
            return set == MB_YESNOCANCEL || set == MB_YESNO || set == MB_YESNOALLCANCEL ? int(IDYES)
                                                                                        : int(IDOK);
        });
    }
    ~MessageRecorder() { failOnUnexpectedMessages(); }
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    QString last() const { return boxes.empty() ? QString() : boxes.back().text; }
    QStringList texts() const
    {
        QStringList out;
        for (const Box &box : boxes)
            out << box.text;
        return out;
    }

    std::vector<Box> boxes;
    std::deque<int> answers;
};

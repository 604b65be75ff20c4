// tests/support/message_recorder.h
#pragma once

#include "platform/message_box.h"

#include <QString>

#include <deque>
#include <vector>

// Answers the program's message boxes while it lives: records every text,
// buttons and icon, and answers from a script (IDOK / the first answer
// otherwise once the script runs out).
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
            return buttons == MB_YESNOCANCEL || buttons == MB_YESNO ? int(IDYES) : int(IDOK);
        });
    }
    ~MessageRecorder() { SetMessageBoxHandler({}); }
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    QString last() const { return boxes.empty() ? QString() : boxes.back().text; }

    std::vector<Box> boxes;
    std::deque<int> answers;
};

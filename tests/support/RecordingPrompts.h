#pragma once
// UserPrompts that records every message and answers from a script.
#include <deque>
#include <string>
#include <vector>

#include "platform/UserPrompts.h"

namespace sgry::test {

class RecordingPrompts : public UserPrompts {
public:
    struct Message { std::string text; MessageIcon icon; };

    void ShowMessage(const std::string& text, MessageIcon icon) override { messages.push_back({text, icon}); }
    bool AskOkCancel(const std::string& text) override {
        questions.push_back(text);
        return answerOk;
    }
    bool AskAllowChange(const std::string& text) override {
        questions.push_back(text);
        return allowChange;
    }
    std::optional<std::string> AskSaveFileName(const std::string&, const std::string&) override {
        if (saveAnswers.empty()) return std::nullopt;
        std::optional<std::string> answer = saveAnswers.front();
        saveAnswers.pop_front();
        return answer;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Message& message : messages) texts.push_back(message.text);
        return texts;
    }

    std::vector<Message> messages;
    std::vector<std::string> questions;
    std::deque<std::optional<std::string>> saveAnswers;  // nullopt = Cancel
    bool answerOk = true;
    bool allowChange = false;
};

}  // namespace sgry::test

// A Prompter for tests: records every message and answers from a script.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace td::test {

class RecordingPrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        std::string caption;
        PromptButtons buttons;
        PromptIcon icon;
    };

    // Without a fixed answer, a message is answered OK when it offers OK and
    // Yes otherwise.
    RecordingPrompter() = default;
    explicit RecordingPrompter(PromptAnswer answer) : fixed_(answer) {}

    PromptAnswer Message(const std::string& text, const std::string& caption,
                         PromptButtons buttons, PromptIcon icon) override {
        shown.push_back({text, caption, buttons, icon});
        if (!answers.empty()) {
            const PromptAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        if (fixed_) return *fixed_;
        if (buttons == PromptButtons::OkCancel || buttons == PromptButtons::Ok) {
            return PromptAnswer::Ok;
        }
        return PromptAnswer::Yes;
    }

    // Answers taken first, in order.
    std::deque<PromptAnswer> answers;
    std::vector<Shown> shown;

private:
    std::optional<PromptAnswer> fixed_;
};

}  // namespace td::test

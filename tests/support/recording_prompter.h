// A Prompter for tests: records every message and every file or folder
// dialog asked for, and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace td::test {

class RecordingPrompter : public Prompter {
public:
    struct Shown {
        std::string text;
        PromptIcon icon;
    };

    // Unscripted, a message is answered OK when it offers OK and Yes otherwise.
    PromptAnswer Message(const std::string& text, const std::string&, PromptButtons buttons,
                         PromptIcon icon) override {
        shown.push_back({text, icon});
        if (!answers.empty()) {
            const PromptAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        if (buttons == PromptButtons::OkCancel || buttons == PromptButtons::Ok) {
            return PromptAnswer::Ok;
        }
        return PromptAnswer::Yes;
    }

    // A file dialog takes the next scripted answer; none left: Cancel.
    FileDialogResult ChooseFiles(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) return {};
        FileDialogResult answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

    FolderDialogResult ChooseFolder(const FolderDialogRequest& request) override {
        folderRequests.push_back(request);
        if (folderAnswers.empty()) return {};
        FolderDialogResult answer = folderAnswers.front();
        folderAnswers.pop_front();
        return answer;
    }

    // Scripts a file dialog that chooses `paths` through filter `filterIndex`.
    void chooseFiles(std::vector<std::string> paths, int filterIndex = 1) {
        FileDialogResult answer;
        answer.outcome = FileDialogOutcome::Chosen;
        answer.paths = std::move(paths);
        answer.filterIndex = filterIndex;
        fileAnswers.push_back(std::move(answer));
    }
    // Scripts a folder dialog that chooses `path` with its check box `checked`.
    void chooseFolder(std::string path, bool checked) {
        FolderDialogResult answer;
        answer.chosen = true;
        answer.path = std::move(path);
        answer.checked = checked;
        folderAnswers.push_back(std::move(answer));
    }

    // Answers taken first, in order.
    std::deque<PromptAnswer> answers;
    std::deque<FileDialogResult> fileAnswers;
    std::deque<FolderDialogResult> folderAnswers;
    std::vector<Shown> shown;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<FolderDialogRequest> folderRequests;
};

}  // namespace td::test

#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/dialogs.h"

namespace obrin::test {

// Dialogs that record every call and answer from a script the test fills
// beforehand. An empty script answers Cancel (false / no value), so an
// unexpected question never goes ahead by itself.
class RecordingDialogs final : public Dialogs {
  public:
    enum class Kind {
        Error,
        Confirm,
        Information,
        Choice,
        OpenFile,
        SaveFile,
        Folder,
        Font,
        Input,
        Options
    };

    struct Call {
        Kind kind;
        std::string text;  // message, dialog title, start folder or caption
        FileDialogRequest request{};
        std::string prompt{};
        std::string initial{};
        // An open dialog's choice beside the file name, or an options dialog's
        // choices.
        std::vector<DialogChoice> choices{};
        // A question's named answers.
        std::vector<std::string> answers{};
    };

    std::vector<Call> calls;
    std::deque<bool> confirmAnswers;
    // Questions with named answers: the index of the answer chosen;
    // std::nullopt is Cancel.
    std::deque<std::optional<int>> chooseAnswers;
    std::deque<std::optional<std::string>> fileAnswers;  // open and save dialogs
    std::deque<std::optional<std::string>> folderAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    // The item picked in an open dialog's choice; none left keeps the one shown.
    std::deque<int> choiceAnswers;
    // Options dialogs: the items picked; an empty list answers Cancel.
    std::deque<std::vector<int>> optionAnswers;

    // Runs inside every error box, as the events a real modal box lets run
    // (timers, clicks) would.
    std::function<void()> whileErrorShown;

    void showError(const std::string& message) override {
        calls.push_back({Kind::Error, message});
        if (whileErrorShown) whileErrorShown();
    }
    bool confirm(const std::string& message) override {
        calls.push_back({Kind::Confirm, message});
        return Next(confirmAnswers, false);
    }
    void showInformation(const std::string& message) override {
        calls.push_back({Kind::Information, message});
    }
    std::optional<int> choose(const std::string& message,
                              const std::vector<std::string>& answers) override {
        calls.push_back({.kind = Kind::Choice, .text = message, .answers = answers});
        return Next(chooseAnswers, std::optional<int>{});
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        calls.push_back({Kind::OpenFile, request.title, request});
        return Next(fileAnswers, std::optional<std::string>{});
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override {
        calls.push_back({Kind::SaveFile, request.title, request});
        return Next(fileAnswers, std::optional<std::string>{});
    }
    std::optional<std::string> chooseFolder(const std::string& startFolder) override {
        calls.push_back({Kind::Folder, startFolder});
        return Next(folderAnswers, std::optional<std::string>{});
    }
    std::optional<FontChoice> chooseFont(const FontChoice& current) override {
        calls.push_back({Kind::Font, current.face});
        return Next(fontAnswers, std::optional<FontChoice>{});
    }
    std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                         const std::string& initial) override {
        calls.push_back({Kind::Input, caption, {}, prompt, initial});
        return Next(inputAnswers, std::optional<std::string>{});
    }

    std::optional<ChosenFile> openFileWithChoice(const FileDialogRequest& request,
                                                 const DialogChoice& choice) override {
        calls.push_back({Kind::OpenFile, request.title, request, {}, {}, {choice}});
        auto path = Next(fileAnswers, std::optional<std::string>{});
        const int picked = Next(choiceAnswers, choice.selected);
        if (!path) return std::nullopt;
        return ChosenFile{std::move(*path), picked};
    }
    std::optional<std::vector<int>> chooseOptions(
        const std::string& caption, const std::vector<DialogChoice>& choices) override {
        calls.push_back({Kind::Options, caption, {}, {}, {}, choices});
        std::vector<int> picked = Next(optionAnswers, std::vector<int>{});
        if (picked.empty()) return std::nullopt;
        return picked;
    }

    // The messages of every error box shown so far, in order.
    std::vector<std::string> errors() const { return textsOf(Kind::Error); }
    std::vector<std::string> questions() const { return textsOf(Kind::Confirm); }
    std::vector<std::string> informations() const { return textsOf(Kind::Information); }
    std::vector<std::string> chooseQuestions() const { return textsOf(Kind::Choice); }

    std::vector<std::string> textsOf(Kind kind) const {
        std::vector<std::string> texts;
        for (const Call& call : calls) {
            if (call.kind == kind) texts.push_back(call.text);
        }
        return texts;
    }

  private:
    template <typename T>
    static T Next(std::deque<T>& script, T whenEmpty) {
        if (script.empty()) return whenEmpty;
        T answer = std::move(script.front());
        script.pop_front();
        return answer;
    }
};

}  // namespace obrin::test

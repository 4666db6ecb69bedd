// splitwick-cli: the window's jobs for scripts and batch work.
#include <QCoreApplication>

#include <csignal>
#include <iostream>
#include <optional>

#include "commands.h"
#include "engine/job_error.h"
#include "help_text.h"
#include "summary.h"

namespace {

using splitwick::cli::ExitFailed;
using splitwick::cli::ExitUsage;

// --json anywhere before "--": the request wants its answer as one JSON object.
bool wantsJson(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") return false;
        if (argument == "--json") return true;
    }
    return false;
}

// A request that cannot be run as it stands: its text, and where to read how to ask.
int usageFailure(const std::string& text, const std::string& command) {
    std::cerr << splitwick::cli::ProgramName << ": " << text << '\n'
              << splitwick::cli::tryHelpLine(command);
    return ExitUsage;
}

// The window's box keeps to the error's text; here a second line may name the file.
int jobFailure(const splitwick::JobError& error) {
    std::cerr << splitwick::errorBoxText(error.what()) << '\n';
    if (!error.detail().empty()) std::cerr << splitwick::errorBoxText(error.detail()) << '\n';
    return ExitFailed;
}

} // namespace

int main(int argc, char** argv) {
    // A write past the file-size limit fails with "File too large", reported as every write
    // error is, instead of killing the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    std::vector<std::string> arguments;
    for (const QString& argument : QCoreApplication::arguments())
        arguments.push_back(argument.toStdString());
    std::optional<splitwick::cli::Request> request;
    try {
        request = splitwick::cli::parseRequest(arguments);
        if (!request->answer.empty()) {
            std::cout << request->answer;
            return 0;
        }
        return splitwick::cli::runRequest(*request);
    } catch (const splitwick::cli::UsageError& error) {
        // runRequest writes the JSON of its own failures.
        if (!request && wantsJson(arguments))
            std::cout << splitwick::cli::failureJson(error.what(), "", ExitUsage, {}, nullptr)
                      << '\n';
        return usageFailure(error.what(), error.command());
    } catch (const splitwick::JobError& error) {
        if (error.kind() == splitwick::JobErrorKind::Usage)
            return usageFailure(error.what(), request->command);
        return jobFailure(error);
    } catch (const std::exception& error) {
        std::cerr << splitwick::errorBoxText(error.what()) << '\n';
        return ExitFailed;
    }
}

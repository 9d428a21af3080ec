#include "tests/support/game_run.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Every file below the root, by path relative to the root's parent folder.
std::map<std::string, std::string> snapshot(const fs::path& base, const std::vector<std::string>& folders) {
    std::map<std::string, std::string> out;
    for (const std::string& folder : folders) {
        std::error_code ec;
        if (!fs::exists(base / folder, ec)) continue;
        for (auto it = fs::recursive_directory_iterator(base / folder, ec); it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (ec) break;
            if (it->is_regular_file()) out[it->path().lexically_relative(base).string()] = readFile(it->path());
        }
    }
    return out;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

}  // namespace

std::filesystem::path demoFolder() { return std::filesystem::path(TOV_SOURCE_DIR) / "demo"; }

LogEntry parseLogLine(const std::string& line) {
    // counter, time, level, text
    size_t tabs[3];
    size_t at = 0;
    for (size_t& t : tabs) {
        t = line.find('\t', at);
        if (t == std::string::npos) return {"", line};
        at = t + 1;
    }
    return {line.substr(tabs[1] + 1, tabs[2] - tabs[1] - 1), line.substr(tabs[2] + 1)};
}

std::vector<std::string> GameRunResult::logLines(const std::string& part) const {
    std::vector<std::string> out;
    for (const LogEntry& e : log)
        if (e.text.find(part) != std::string::npos) out.push_back(e.text);
    return out;
}

GameRunResult runGame(const GameRunOptions& options) {
    GameRunResult result;
    TempDir dir(false);
    const fs::path base = dir.path();
    const fs::path run = base / "run";
    std::error_code ec;
    fs::copy(options.demo, run, fs::copy_options::recursive, ec);
    fs::create_directories(run, ec);
    for (const auto& [path, text] : options.overlays) writeFile(run / path, text);
    if (options.dataHome.empty()) {
        fs::create_directories(base / "data");
    } else {
        // The kept folder stands in as the run's own, so its files show in `written` alike.
        fs::create_directories(options.dataHome, ec);
        fs::create_directory_symlink(fs::absolute(options.dataHome, ec), base / "data", ec);
    }
    fs::create_directories(base / "runtime");
    ::chmod((base / "runtime").c_str(), 0700);  // as the system makes XDG_RUNTIME_DIR

    std::vector<std::string> env = {"XDG_DATA_HOME=" + (base / "data").string(),
                                    "XDG_RUNTIME_DIR=" + (base / "runtime").string(),
                                    "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};
    if (options.clockMs) env.push_back("TOV_TEST_CLOCK_MS=" + std::to_string(options.clockMs));
    std::vector<std::string> args = options.args;
    if (!options.input.empty()) {
        writeFile(base / "input.txt", options.input);
        env.push_back("TOV_TEST_INPUT=" + (base / "input.txt").string());
        if (options.inputAsArgument) {
            args.push_back("--input");
            args.push_back((base / "input.txt").string());
        }
    }
    env.insert(env.end(), options.environment.begin(), options.environment.end());

    const std::map<std::string, std::string> before = snapshot(base, {"run", "data", "runtime"});
    std::string command = "cd " + quoted(run.string()) + " && exec " + quoted(options.program);
    for (const std::string& a : args) command += " " + quoted(a);
    command += " >" + quoted((base / "out.txt").string()) + " 2>" + quoted((base / "err.txt").string());
    ChildProcess child("/bin/sh", {"-c", command}, env);
    result.started = child.started();
    const fs::path logPath = run / options.logFile;
    const auto logHoldsKillText = [&] {
        return readFile(logPath).find(options.killAtLog) != std::string::npos;
    };
    const ChildExit exit = options.killAtLog.empty() ? child.wait(options.limit)
                                                      : child.wait(options.limit, logHoldsKillText);
    result.finished = exit.finished;
    result.exitCode = exit.exitCode;
    result.termSignal = exit.termSignal;
    result.out = readFile(base / "out.txt");
    result.err = readFile(base / "err.txt");

    const std::string logText = fs::exists(logPath, ec) ? readFile(logPath) : result.err;
    for (const std::string& line : lines(logText)) result.log.push_back(parseLogLine(line));
    for (const auto& [path, bytes] : snapshot(base, {"run", "data", "runtime"})) {
        auto it = before.find(path);
        if (it == before.end() || it->second != bytes) result.written[path] = bytes;
    }
    return result;
}

GameRunOptions swfrunOptions(const std::string& swfrun, const std::string& movie) {
    GameRunOptions o;
    o.program = swfrun;
    o.args = {movie};
    o.inputAsArgument = true;
    return o;
}

}  // namespace testsupport

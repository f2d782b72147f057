#include "inputs.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace vzv::reader {

namespace fs = std::filesystem;

std::string StartupLogName(const std::string& logPath) {
    const std::size_t at = logPath.find(".log");
    return at == std::string::npos ? std::string() : logPath.substr(0, at) + ".startup.log";
}

namespace {

class InputList {
public:
    explicit InputList(std::vector<Input>& inputs) : m_inputs(inputs) {}

    void Add(const std::string& label, std::string directory, bool optional) {
        const fs::path path = fs::u8path(label);
        std::error_code error;
        fs::path key = fs::weakly_canonical(path, error);
        if (error) key = path.lexically_normal();
        if (m_seen.insert(key).second)
            m_inputs.push_back({path, label, std::move(directory), optional});
    }
    // The start-up log and _old generation of `label`, those that exist,
    // in the order they were written.
    void AddCompanions(const std::string& label, const std::string& directory) {
        std::error_code error;
        for (const std::string& name : {StartupLogName(label), label + "_old"})
            if (!name.empty() && name != label && fs::is_regular_file(fs::u8path(name), error))
                Add(name, directory, true);
    }

private:
    std::vector<Input>& m_inputs;
    std::set<fs::path> m_seen;
};

// A directory's files whose names hold ".log", by name.
std::vector<std::string> LogFilesIn(const std::string& directory, std::error_code& error) {
    std::vector<std::string> names;
    for (fs::directory_iterator it(fs::u8path(directory), error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().u8string();
        if (name.find(".log") != std::string::npos && it->is_regular_file(ignored))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (std::string& name : names) name = (fs::u8path(directory) / fs::u8path(name)).u8string();
    return names;
}

}  // namespace

int Generation(const fs::path& path) {
    const std::string name = path.filename().u8string();
    if (name.find(".startup.log") != std::string::npos) return 0;
    const std::string old = "_old";
    return name.size() >= old.size() && name.compare(name.size() - old.size(), old.size(), old) == 0
               ? 1
               : 2;
}

std::vector<Input> ExpandInputs(const std::vector<std::string>& args, bool all,
                                std::vector<std::string>& problems) {
    std::vector<Input> inputs;
    InputList list(inputs);
    for (const std::string& arg : args) {
        std::error_code error;
        if (!fs::is_directory(fs::u8path(arg), error)) {
            if (all) list.AddCompanions(arg, {});
            list.Add(arg, {}, false);
            continue;
        }
        const std::vector<std::string> files = LogFilesIn(arg, error);
        if (error)
            problems.push_back(arg + ": cannot list the directory: " + error.message());
        else if (files.empty())
            problems.push_back(arg + ": no log files (*.log*) in this directory");
        for (const std::string& file : files) list.Add(file, arg, true);
    }
    if (all)
        std::stable_sort(inputs.begin(), inputs.end(), [](const Input& a, const Input& b) {
            return Generation(a.path) < Generation(b.path);
        });
    return inputs;
}

}  // namespace vzv::reader

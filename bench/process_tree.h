#pragma once
// The memory of a process and all its descendants (the browser engine's
// renderers among them), read from /proc: resident and proportional set
// sizes, and which of them are renderers.

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace benchsupport {

struct ProcessInfo {
    int pid = 0;
    int parent = 0;
    long rssKiB = 0;
    long pssKiB = 0;
    std::string command;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline int parentOf(int pid)
{
    // The command name in /proc/PID/stat may hold spaces and parentheses;
    // the fields after the last ')' are fixed.
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(close + 2));
    char state = 0;
    int parent = -1;
    fields >> state >> parent;
    return parent;
}

inline long fieldKiB(const std::string& text, const std::string& name)
{
    const size_t at = text.find("\n" + name + ":");
    if (at == std::string::npos)
        return 0;
    return std::strtol(text.c_str() + at + name.size() + 2, nullptr, 10);
}

// This process and all its descendants.
inline std::vector<ProcessInfo> processTree(int root = ::getpid())
{
    std::map<int, int> parents;
    if (DIR* dir = ::opendir("/proc")) {
        while (dirent* entry = ::readdir(dir)) {
            char* end = nullptr;
            const long pid = std::strtol(entry->d_name, &end, 10);
            if (*end == '\0' && pid > 0)
                parents[static_cast<int>(pid)] = parentOf(static_cast<int>(pid));
        }
        ::closedir(dir);
    }
    std::set<int> tree{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, parent] : parents)
            if (tree.count(parent) != 0 && tree.insert(pid).second)
                grew = true;
    }
    std::vector<ProcessInfo> processes;
    for (const int pid : tree) {
        ProcessInfo info;
        info.pid = pid;
        info.parent = parents[pid];
        const std::string base = "/proc/" + std::to_string(pid);
        const std::string status = "\n" + readFile(base + "/status");
        info.rssKiB = fieldKiB(status, "VmRSS");
        info.pssKiB = fieldKiB("\n" + readFile(base + "/smaps_rollup"), "Pss");
        info.command = readFile(base + "/cmdline");
        for (char& c : info.command)
            if (c == '\0')
                c = ' ';
        if (info.rssKiB > 0)
            processes.push_back(info);
    }
    return processes;
}

// Chromium starts two zygotes and forks renderers from the one with the
// sandbox set-up (even when the sandbox itself is off), utility processes
// from the other. A forked child keeps the zygote's command line, so a
// renderer is recognised by its parent.
inline bool isSandboxZygote(const ProcessInfo& process)
{
    return process.command.find("--type=zygote") != std::string::npos &&
           process.command.find("--no-zygote-sandbox") == std::string::npos;
}

inline int countRenderers(const std::vector<ProcessInfo>& tree)
{
    std::set<int> zygotes;
    for (const auto& process : tree)
        if (isSandboxZygote(process))
            zygotes.insert(process.pid);
    int renderers = 0;
    for (const auto& process : tree)
        if (zygotes.count(process.parent) != 0 || process.command.find("--type=renderer") != std::string::npos)
            ++renderers;
    return renderers;
}

struct Peak {
    long rssKiB = 0;
    long pssKiB = 0;
    int processes = 0;
    int renderers = 0;
    long mainRssKiB = 0;

    void sample(int root = ::getpid())
    {
        long rss = 0;
        long pss = 0;
        const auto tree = processTree(root);
        for (const auto& process : tree) {
            rss += process.rssKiB;
            pss += process.pssKiB;
            if (process.pid == root)
                mainRssKiB = std::max(mainRssKiB, process.rssKiB);
        }
        rssKiB = std::max(rssKiB, rss);
        pssKiB = std::max(pssKiB, pss);
        processes = std::max(processes, static_cast<int>(tree.size()));
        renderers = std::max(renderers, countRenderers(tree));
    }
};

} // namespace benchsupport

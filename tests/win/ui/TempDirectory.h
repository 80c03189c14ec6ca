// A fresh directory under the temporary path, removed with its files.
#pragma once

#include <windows.h>

#include <string>

class TempDirectory {
public:
    TempDirectory()
    {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "velmora-ui-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter_++);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempDirectory()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..")
                    DeleteFileA((path_ + "\\" + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::string& Path() const { return path_; }

private:
    static inline int counter_ = 0;
    std::string path_;
};

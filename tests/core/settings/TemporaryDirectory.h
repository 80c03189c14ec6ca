// A fresh directory under the system's temporary directory, removed with
// everything in it when this goes.
#pragma once

#include <string>
#include <vector>

namespace settings_test {

class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return path_; }

    // The names of the entries in the directory, sorted.
    std::vector<std::string> EntryNames() const;

private:
    std::string path_;
};

}  // namespace settings_test

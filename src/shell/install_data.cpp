// The installed data fallback: the show's files are named relative to the
// working directory, so an installed show changes to the folder that holds
// the installed data/ when the working directory has none.
#include "shell/install_data.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

static int is_directory(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string installed_data_home(const std::string &exe_path)
{
    size_t slash = exe_path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return exe_path.substr(0, slash + 1) + "../share/tobuna";
}

int use_installed_data()
{
    if (is_directory("data"))
        return 0;
    // The executable itself, links resolved: a link to it elsewhere (the
    // screensaver's, say) still finds the data installed beside it.
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return 0;
    exe[n] = '\0';
    std::string home = installed_data_home(exe);
    if (home.empty() || !is_directory(home + "/data"))
        return 0;
    return chdir(home.c_str()) == 0 ? 1 : 0;
}

// Where the show's data folder is found when the working directory has none:
// the installed share/tobuna beside the executable's bin folder.
#pragma once

#include <string>

// The folder holding the installed data/ for an executable at exe_path
// (bin/NAME → share/tobuna); empty when exe_path has no folder part.
std::string installed_data_home(const std::string &exe_path);

// When the working directory has no data/ folder and the one installed with
// the running executable exists, makes its parent the working directory.
// 1 when it changed the working directory, else 0.
int use_installed_data();

// The window's remembered choices (QSettings): the folder, the target, what
// to make, and how books are laid out.
#pragma once

#include <QString>

namespace gw {

struct WindowSettings {
    QString folder;              // empty: none remembered
    int target = 0;
    unsigned levels = 0x3FEu;    // bit L: level L
    bool hunt = false;
    int workers = 1;
    int count = 0;               // 0: no limit
    int minutes = 0;             // 0: no limit
    int perPage = 4;
    bool letter = false;
    bool solutions = true;
    bool howToPlay = false;

    static WindowSettings Load();
    void Save() const;
};

}  // namespace gw

#include "settings.h"

#include <QSettings>

namespace gw {

WindowSettings WindowSettings::Load() {
    QSettings q;
    WindowSettings s;
    s.folder = q.value("folder").toString();
    s.target = q.value("target", s.target).toInt();
    s.levels = q.value("make/levels", s.levels).toUInt();
    s.hunt = q.value("make/hunt", s.hunt).toBool();
    s.workers = q.value("make/workers", s.workers).toInt();
    s.count = q.value("make/count", s.count).toInt();
    s.minutes = q.value("make/minutes", s.minutes).toInt();
    s.perPage = q.value("book/perPage", s.perPage).toInt();
    s.letter = q.value("book/letter", s.letter).toBool();
    s.solutions = q.value("book/solutions", s.solutions).toBool();
    s.howToPlay = q.value("book/howToPlay", s.howToPlay).toBool();
    return s;
}

void WindowSettings::Save() const {
    QSettings q;
    q.setValue("folder", folder);
    q.setValue("target", target);
    q.setValue("make/levels", levels);
    q.setValue("make/hunt", hunt);
    q.setValue("make/workers", workers);
    q.setValue("make/count", count);
    q.setValue("make/minutes", minutes);
    q.setValue("book/perPage", perPage);
    q.setValue("book/letter", letter);
    q.setValue("book/solutions", solutions);
    q.setValue("book/howToPlay", howToPlay);
}

}  // namespace gw

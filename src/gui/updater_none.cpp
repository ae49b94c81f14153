#include "gui/updater.h"

namespace corvane {

std::unique_ptr<Updater> startUpdater() { return nullptr; }

}  // namespace corvane

#include "engine/EngineSettings.h"

namespace bailan {

TEngineSettings& EngineSettings() {
  static TEngineSettings settings;
  return settings;
}

}  // namespace bailan

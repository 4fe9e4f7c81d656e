// The states of both set-up wizards in one table for the front end.
#include "frontend/wizards.h"

#include <vector>

std::span<const StateEntry> WizardStates() {
  static const std::vector<StateEntry> states = [] {
    std::vector<StateEntry> all;
    for (auto family : {KeyWizardStates, JoystickWizardStates})
      for (const StateEntry& e : family()) all.push_back(e);
    return all;
  }();
  return states;
}

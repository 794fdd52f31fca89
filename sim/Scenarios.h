#pragma once
// Named panels for the tool and the tests: a model and the faults it starts with.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/FaultConfig.h"
#include "sim/PanelModel.h"

namespace mr420::sim {

struct Scenario {
    PanelModel model;
    FaultConfig faults;
};

struct ScenarioInfo {
    std::string_view name;
    std::string_view description;
};

constexpr std::string_view kDefaultScenario = "mr411-baro";

const std::vector<ScenarioInfo>& scenarios();

// The named scenario with its clock at `clockSeconds`, or nullopt for an
// unknown name.
std::optional<Scenario> makeScenario(std::string_view name, std::uint32_t clockSeconds);

// A text slot as the configuration dialogs write it: padded with spaces to
// the slot's length (15 or 33 positions).
std::string paddedSlot(std::string_view text, int slotLength);

}  // namespace mr420::sim

// stats: small builders of stat records shared by the test suites.
#pragma once
#include "world/properties.h"

/// A stats record with the given fields, in field order.
properties props_of(float strength, float health, int armor, float fullness, int damage, int zap);

/// Replays the six draws of a random stats record from the current rand()
/// state, exactly as the game draws them.
properties props_replay(int low, int high);

// stats: small builders of stat records shared by the test suites.
#include "stats.h"

#include <cstdlib>

properties props_of(float strength, float health, int armor, float fullness, int damage, int zap) {
    properties p{};
    p.strength = strength;
    p.health = health;
    p.armor = armor;
    p.fullness = fullness;
    p.damage = damage;
    p.zap_damage = zap;
    return p;
}

properties props_replay(int low, int high) {
    properties p{};
    p.strength = static_cast<float>(low + rand() % (high - low + 1));
    p.health = static_cast<float>(low + rand() % (high - low + 1));
    p.armor = low + rand() % (high - low + 1);
    p.fullness = static_cast<float>(low + rand() % (high - low + 1));
    p.damage = low + rand() % (high - low + 1);
    p.zap_damage = low + rand() % (high - low + 1);
    return p;
}

// properties: making stat records, folding them together, and telling the
// player what a gift or a loss did to their stats.
#include "world/properties.h"

#include <cstdlib>

#include "world/alloc.h"

namespace {

/// What mode 1 of give and take calls to tell the player; null: nothing.
void (*teller)(const properties& change, const char* title) = nullptr;

/// One whole number from low to high, both ends included.
int properties_draw(int low, int high) {
    return low + rand() % (high - low + 1);
}

/// Adds `sign` times every field of `change` into `target`.
void properties_apply(const properties& change, properties* target, int sign) {
    target->strength += sign * change.strength;
    target->health += sign * change.health;
    target->armor += sign * change.armor;
    target->fullness += sign * change.fullness;
    target->damage += sign * change.damage;
    target->zap_damage += sign * change.zap_damage;
}

/// Tells the player of a change under `title`, when start-up said how.
void properties_tell(const properties& change, const char* title) {
    if (teller)
        teller(change, title);
}

} // namespace

properties* properties_create_random(int low, int high) {
    properties* props = static_cast<properties*>(alloc_zeroed(sizeof(properties)));
    if (!props)
        return nullptr;
    // One draw per field, in field order; the float fields get whole numbers.
    props->strength = static_cast<float>(properties_draw(low, high));
    props->health = static_cast<float>(properties_draw(low, high));
    props->armor = properties_draw(low, high);
    props->fullness = static_cast<float>(properties_draw(low, high));
    props->damage = properties_draw(low, high);
    props->zap_damage = properties_draw(low, high);
    return props;
}

void properties_remove(properties* props) {
    alloc_free(props);
}

void properties_copy(properties* from, properties* to) {
    *to = *from;
}

properties* properties_check_properties(properties* props) {
    if (!props)
        return nullptr;
    if (props->strength < 0.0f)
        props->strength = 0.0f;
    if (props->health < 0.0f)
        props->health = 0.0f;
    if (props->armor < 0)
        props->armor = 0;
    if (props->fullness < 0.0f)
        props->fullness = 0.0f;
    if (props->damage < 0)
        props->damage = 0;
    if (props->zap_damage < 0)
        props->zap_damage = 0;
    return props;
}

int properties_sum_int(properties props) {
    return props.armor + props.damage + props.zap_damage + static_cast<int>(props.fullness) +
           static_cast<int>(props.health) + static_cast<int>(props.strength);
}

void properties_give(properties change, properties* target, int mode) {
    properties_apply(change, target, 1);
    if (mode != 0)
        properties_tell(change, "You were given:");
}

void properties_take(properties change, properties* target, int mode) {
    properties_apply(change, target, -1);
    if (mode != 0)
        properties_tell(change, "Properties removed from you:");
}

void properties_set_teller(void (*tell)(const properties& change, const char* title)) {
    teller = tell;
}

// properties: making stat records, folding them together, and telling the
// player what a gift or a loss did to their stats.
#include "world/properties.h"

#include <cstdio>
#include <cstdlib>

#include "shell/assets.h"
#include "shell/keyboard.h"
#include "shell/msgbox.h"
#include "world/alloc.h"
#include "world/state.h"

namespace {

/// Size of one dialog line, the game's usual text length.
constexpr int LINE_SIZE = 150;

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

/// Writes "label value" into the next free line when the value isn't 0.
void properties_add_line(char lines[6][LINE_SIZE], int* used, const char* label, int value) {
    if (value == 0)
        return;
    snprintf(lines[*used], LINE_SIZE, "%s%d", label, value);
    (*used)++;
}

/// Shows the changed fields under `title` and waits for a fresh key.
void properties_show_change(const properties& change, const char* title) {
    char lines[6][LINE_SIZE] = {};
    int used = 0;
    properties_add_line(lines, &used, "armor ", change.armor);
    properties_add_line(lines, &used, "damage ", change.damage);
    properties_add_line(lines, &used, "zap damage ", change.zap_damage);
    properties_add_line(lines, &used, "fullness ", static_cast<int>(change.fullness));
    properties_add_line(lines, &used, "health ", static_cast<int>(change.health));
    properties_add_line(lines, &used, "strength ", static_cast<int>(change.strength));

    const char* box[7] = {title, lines[0], lines[1], lines[2], lines[3], lines[4], lines[5]};
    zelko_msgbox_info_7(bmp, pal, box);
    assets_show(bmp);
    zelkokey_wait_release();
    zelkokey_wait_press();
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
        properties_show_change(change, "You were given:");
}

void properties_take(properties change, properties* target, int mode) {
    properties_apply(change, target, -1);
    if (mode != 0)
        properties_show_change(change, "Properties removed from you:");
}

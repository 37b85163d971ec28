// properties: the six-number stat record of every creature and item.
#pragma once
#include <cstdint>

struct properties {
    float strength;     // limits what can be carried; trained by fighting
    float health;       // below 1 the being dies
    int32_t armor;      // softens blows and explosions
    float fullness;     // used up by acting; a hungry player loses health
    int32_t damage;     // strength of a blow
    int32_t zap_damage; // power of a zapped wand's explosion
};

/// New record with each field drawn as low + rand() % (high - low + 1), in
/// field order (six draws always); null when memory runs out.
properties* properties_create_random(int low, int high);

/// Frees a record (null is ignored).
void properties_remove(properties* props);

/// Copies all six fields of `from` into `to`.
void properties_copy(properties* from, properties* to);

/// Raises every negative field to zero; returns the same pointer.
properties* properties_check_properties(properties* props);

/// armor + damage + zap_damage plus the three floats each truncated to int.
int properties_sum_int(properties props);

/// Adds `change` into `target`; mode 1 also shows "You were given:" and waits.
void properties_give(properties change, properties* target, int mode);

/// Subtracts `change` from `target`; mode 1 also shows "Properties removed
/// from you:" and waits.
void properties_take(properties change, properties* target, int mode);

/// Sets how mode 1 of give and take tells the player of the change (the
/// box over the room and its key wait); null: it is not told.
void properties_set_teller(void (*tell)(const properties& change, const char* title));

// explosion: the scattering burst of an explosion's picture.
#pragma once

struct objekt_;

/// The scatter function: where coordinate v (0..31) lands.
int explosion_scatter(int v);

/// Scatters the explosion's picture outward and raises its age.
void explosion_move(objekt_* explosion);

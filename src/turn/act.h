// act: the player's half of a turn: reading keys and carrying out actions.
#pragma once

/// Reads keys until one action has taken the turn (or the game ended).
void user_act();

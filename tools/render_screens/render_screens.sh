#!/bin/bash
# render_screens.sh DATA_DIR OUT_DIR [ROOM_SHOT]
# Turns the generated pictures into PNG files that any viewer shows:
#   OUT_DIR/<screen>.png        each 1024x768 full screen
#   OUT_DIR/message_box.png     the yes/no box as the game lays it out
#   OUT_DIR/sprites.png         every 32x32 picture over the floor, 4x
#   OUT_DIR/tiles.png           floor, wall and doors laid out as in a room
#   OUT_DIR/room.png            a busy game frame painted by the game itself
# Needs ImageMagick (convert, montage).
set -euo pipefail
data=$1
out=$2
mkdir -p "$out" "$out/tmp"
for name in TitelScreen StoryScreen1 StoryScreen2 StoryScreen3 StoryScreen4 ControlInfo \
            ControlHelp ByeBye GameOver; do
    convert "$data/$name.bmp" "$out/$name.png"
done

# The message box with its two buttons where the yes/no question puts them.
convert "$data/msg_bg.bmp" \
    "$data/msg_yes.bmp" -geometry +56+88 -composite \
    "$data/msg_no.bmp" -geometry +184+88 -composite \
    -scale 200% "$out/message_box.png"

# Every sprite over a floor tile, magnified four times.
sprites=(user user_dead
    green_devil green_devil2 green_devil_dead evil_eyes evil_eyes2 evil_eyes_dead
    furball furball2 furball_dead floating_eye floating_eye2 floating_eye_dead
    grumbo_troll1 grumbo_troll2 grumbo_troll_dead baker baker2 baker_dead
    littlespider littlespider2 littlespider_dead rat rat2 rat_dead bat bat2 bat_dead
    gnome gnome2 gnome_dead
    stone ring diamond lamp cd bread beef_jerky potion red_potion green_potion
    stick stick_used long_stick long_stick_used stekpanna stekpanna_used
    sword sword_used wand wand_used wand_zap
    empty floor wall door door_open door_out
    invent_bg_bg invent_bg invent_bg_marked invent_bg_used)
tiles=()
for name in "${sprites[@]}"; do
    convert "$data/floor.bmp" \( "$data/$name.bmp" -transparent '#ff00ff' \) -composite \
        -scale 400% "$out/tmp/$name.png"
    tiles+=("$out/tmp/$name.png")
done
montage "${tiles[@]}" -tile 9x -geometry +4+4 -background '#202020' "$out/sprites.png"

# A corner of a room: wall round the floor, the three doors in the wall.
row() { convert "$@" +append miff:-; }
{
    row "$data/wall.bmp" "$data/door.bmp" "$data/wall.bmp" "$data/door_open.bmp" "$data/wall.bmp" "$data/door_out.bmp" "$data/wall.bmp"
    for _ in 1 2 3; do
        row "$data/wall.bmp" "$data/floor.bmp" "$data/floor.bmp" "$data/floor.bmp" "$data/floor.bmp" "$data/floor.bmp" "$data/floor.bmp"
    done
} | convert - -append -scale 300% "$out/tiles.png"
if [[ $# -ge 3 ]]; then
    (cd "$data" && "$3" "$out/tmp/room.bmp") && convert "$out/tmp/room.bmp" "$out/room.png"
fi
rm -rf "$out/tmp"
echo "screens written to $out"

# measured.sh: sourced by the scripts that measure the README's long-running
# figures (soak, valgrind, fuzzing, the recorded games, the benchmark), so
# that each can print the README's lines afresh with when and on what they
# were measured.

# Prints "measured on YYYY-MM-DD at commit abc1234" (with " and changes not
# committed" when the work tree differs from it) for the tree at $1.
measured_on() {
    local tree="$1" commit dirty=""
    commit="$(git -C "$tree" rev-parse --short=7 HEAD 2>/dev/null || echo unknown)"
    if [[ -n "$(git -C "$tree" status --porcelain --untracked-files=no 2>/dev/null)" ]]; then
        dirty=" and changes not committed"
    fi
    echo "measured on $(date +%Y-%m-%d) at commit $commit$dirty"
}

# Writes a whole number with a comma between each three digits (112396 ->
# 112,396), as the README does.
thousands() {
    local n="$1" out=""
    while ((${#n} > 3)); do
        out=",${n: -3}$out"
        n="${n:0:${#n}-3}"
    done
    echo "$n$out"
}

#!/usr/bin/env bash
# The shell completion scripts: each parses in its own shell and offers the
# commands, each command's options and the values an option takes.
#   completions.sh DIST_COMPLETIONS_DIR
set -euo pipefail
dir=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
for shell in zsh fish; do
    command -v $shell >/dev/null || fail "$shell is missing (./build.sh installs it)"
done

# bash: bash-completion's two helpers stood in for by plain ones.
got=$(bash -c '
    _init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${words[cword]}; prev=${words[cword-1]}; }
    _filedir() { COMPREPLY=("files:$1"); }
    source "$1"
    offer() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=(); _cerebrix_cli; echo "${COMPREPLY[*]}"; }
    offer cerebrix-cli ""
    offer cerebrix-cli render --
    offer cerebrix-cli render a.brain --layer ""
    offer cerebrix-cli new --size 5 --from-image ""
    offer cerebrix-cli render a.brain -o ""
    offer cerebrix-cli generate a.brain -o ""
    offer cerebrix-cli info ""
' _ "$dir/cerebrix-cli.bash")
want="info generate render new help --help -h --version -V
--layer --output --scale --help --version
all
files:@(png|jpg|jpeg|bmp|gif|webp|ppm|pgm|pbm|tif|tiff)
files:@(png|jpg|jpeg|bmp|webp|ppm)
files:brain
files:brain"
[ "$got" = "$want" ] || fail "bash offers:
$got"

zsh -n "$dir/_cerebrix-cli" || fail "zsh script"
head -1 "$dir/_cerebrix-cli" | grep -qx '#compdef cerebrix-cli' || fail "zsh script is not for cerebrix-cli"

fish -n "$dir/cerebrix-cli.fish" || fail "fish script"
got=$(fish -c 'source $argv[1]
    complete -C "cerebrix-cli " | cut -f1
    complete -C "cerebrix-cli new --" | cut -f1
    complete -C "cerebrix-cli render --layer " | cut -f1' "$dir/cerebrix-cli.fish" | tr '\n' ' ')
want="generate help info new render --colour --from-image --help --json --output --size --version all "
[ "$got" = "$want" ] || fail "fish offers: $got"
echo "completions OK"

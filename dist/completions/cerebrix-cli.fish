# fish completion for cerebrix-cli

set -l commands info generate render new help
set -l brains '(__fish_complete_suffix .brain)'

complete -c cerebrix-cli -f
complete -c cerebrix-cli -s h -l help -d 'Show the help'
complete -c cerebrix-cli -s V -l version -d 'Show the version'

complete -c cerebrix-cli -n "not __fish_seen_subcommand_from $commands" -a info -d 'Print what a brain file holds'
complete -c cerebrix-cli -n "not __fish_seen_subcommand_from $commands" -a generate -d 'Run generations and save the result'
complete -c cerebrix-cli -n "not __fish_seen_subcommand_from $commands" -a render -d 'Write layers as pictures'
complete -c cerebrix-cli -n "not __fish_seen_subcommand_from $commands" -a new -d 'Make a fresh brain, or grow one from an image'
complete -c cerebrix-cli -n "not __fish_seen_subcommand_from $commands" -a help -d "Print a command's help"
complete -c cerebrix-cli -n '__fish_seen_subcommand_from help' -a 'info generate render new'

complete -c cerebrix-cli -n '__fish_seen_subcommand_from info generate render' -a "$brains"
complete -c cerebrix-cli -n '__fish_seen_subcommand_from info' -l json -d 'Print one JSON object per file'

complete -c cerebrix-cli -n '__fish_seen_subcommand_from generate' -s n -l generations -x -d 'How many generations to run'
complete -c cerebrix-cli -n '__fish_seen_subcommand_from generate new' -s o -l output -r -a "$brains" -d 'The brain file to write'
complete -c cerebrix-cli -n '__fish_seen_subcommand_from generate' -l every -d 'Print the apex after every generation'
complete -c cerebrix-cli -n '__fish_seen_subcommand_from generate new' -l json -d 'Print the result as JSON'

complete -c cerebrix-cli -n '__fish_seen_subcommand_from render' -l layer -x -a all -d 'The layer to show, or all'
complete -c cerebrix-cli -n '__fish_seen_subcommand_from render' -s o -l output -r -F -d 'The picture, or with all a pattern holding %d'
complete -c cerebrix-cli -n '__fish_seen_subcommand_from render' -l scale -x -d 'Pixels per cell, across and down'

complete -c cerebrix-cli -n '__fish_seen_subcommand_from new' -l size -x -d "The brain's size"
complete -c cerebrix-cli -n '__fish_seen_subcommand_from new' -l from-image -r -F -d 'An image to grow the brain from'
complete -c cerebrix-cli -n '__fish_seen_subcommand_from new' -l colour -x -d 'The drawing colour R,G,B'

# bash completion for gridwick
_gridwick() {
    local cur prev words cword
    _init_completion || return
    local commands="generate grade count print merge rungs bench"
    if [[ $cword -eq 1 ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    case $prev in
        --target | -t)
            # Names hold spaces, '$' and parentheses: each is offered quoted
            # for the shell, and matched against the word as typed without
            # its backslashes and opening quote.
            local IFS=$'\n' name typed=${cur//\\/}
            local names=$'0\n1\n2\n3\n4\n5\n6\n7\nYAZ Sudoku 1\nYAZ Sudoku 2\nSimple Sudoku\nSudocue\nInto Sudoku\nSudoku Explainer\n81 char $ (.)\n81 char $ (0)'
            typed=${typed#[\"\']}
            COMPREPLY=()
            for name in $names; do
                [[ $name == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
            done
            return ;;
        --levels | -l)
            COMPREPLY=($(compgen -W "Easy Medium Hard Crazy Insane Kamikaze Extreme Mayhem Outlaw 1-9" -- "$cur"))
            return ;;
        --method | -m) COMPREPLY=($(compgen -W "random hunt" -- "$cur")); return ;;
        --format | -f)
            case ${words[1]} in
                print) COMPREPLY=($(compgen -W "pdf svg png" -- "$cur")) ;;
                *) COMPREPLY=($(compgen -W "text jsonl" -- "$cur")) ;;
            esac
            return ;;
        --order) COMPREPLY=($(compgen -W "level score input random" -- "$cur")); return ;;
        --paper) COMPREPLY=($(compgen -W "a4 letter" -- "$cur")); return ;;
        --steps) COMPREPLY=($(compgen -W "all none" -- "$cur")); return ;;
        --out | -o)
            if [[ ${words[1]} == print ]]; then _filedir; else _filedir -d; fi
            return ;;
        --html) _filedir html; return ;;
        --count | -n | --jobs | -j | --seed | --max-time | --max-made | --per-grid | --per-level | --per-page | \
            --dpi | --without | -w | --title | --score) return ;;
    esac
    if [[ $cur == -* ]]; then
        # The command's own options, from its help.
        COMPREPLY=($(compgen -W "$("${words[0]}" "${words[1]}" --help 2>/dev/null |
            grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,')" -- "$cur"))
        return
    fi
    _filedir
}
complete -F _gridwick gridwick

# bash completion for glyphora-batch
# Commands, options and their choices are read from the program itself when
# completing (--help, styles, sheets), so they follow the installed version.

_glyphora_batch()
{
    local cur prev words cword
    _init_completion -n = || return
    local program=${words[0]}

    local help
    help=$("$program" --help 2>/dev/null) || return
    # Command lines of the help text: two spaces, the name, then its arguments.
    local commands
    commands=$(sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p' <<<"$help")

    local command="" i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} != -* ]] && grep -qx -- "${words[i]}" <<<"$commands"; then
            command=${words[i]}
            break
        fi
    done
    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help --version' -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local usage
    usage=$(grep -m1 "^  $command\( \|$\)" <<<"$help")

    # The value of an option: "--name value" or "--name=value".
    local option=""
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        cur=${cur#*=}
    elif [[ $prev == --* ]] && grep -q -- "\[$prev <" <<<"$usage"; then
        option=$prev
    fi
    if [[ -n $option ]]; then
        local choices
        choices=$(grep -o -- "\[$option <[^>]*>" <<<"$usage" | sed 's/.*<\(.*\)>/\1/')
        case $option in
            --style)
                COMPREPLY=($(compgen -W "$("$program" styles 2>/dev/null | sed -n 's/^  \([A-Za-z0-9_-]\{1,\}\) .*/\1/p')" -- "$cur"))
                _filedir json
                ;;
            --layout)
                COMPREPLY=($(compgen -W "$("$program" sheets 2>/dev/null | sed -n 's/^  \([A-Za-z0-9_-]\{1,\}\) .*/\1/p')" -- "$cur"))
                ;;
            --logo | --background)
                _filedir
                ;;
            *)
                # Options that list their values: "--engine <cnn|zxing|both>".
                if [[ $choices == *\|* ]]; then
                    COMPREPLY=($(compgen -W "${choices//|/ }" -- "$cur"))
                fi
                ;;
        esac
        return
    fi

    if [[ $cur == -* ]]; then
        local options
        options=$(grep -o -- '\[--[a-z-]*' <<<"$usage" | tr -d '[')
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    # Arguments: a CSV file (or a workbook) or a folder, as the usage line names them.
    local argument_count=0
    for ((i = i + 1; i < cword; i++)); do
        [[ ${words[i]} == -* ]] && continue
        [[ ${words[i - 1]} == --* && ${words[i - 1]} != *=* ]] && grep -q -- "\[${words[i - 1]} <" <<<"$usage" && continue
        ((argument_count++))
    done
    local argument
    local arguments
    arguments=$(sed 's/\[[^]]*\]//g' <<<"$usage" | grep -o '<[^>]*>…\{0,1\}')
    argument=$(sed -n "$((argument_count + 1))p" <<<"$arguments")
    # A last argument shown with "…" repeats.
    [[ -z $argument && $(tail -n1 <<<"$arguments") == *… ]] && argument=$(tail -n1 <<<"$arguments")
    case $argument in
        *CSV*) _filedir '@(csv|xlsx|xlsm|xls)' ;;
        *文件夹*) _filedir -d ;;
        *) _filedir ;;
    esac
}
complete -F _glyphora_batch glyphora-batch

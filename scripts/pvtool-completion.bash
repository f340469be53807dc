# bash completion for pvtool                                   -*- shell-script -*-
# Commands, their options, and .PVD / .PVL / .json file names where a command takes a file.

_pvtool_files() {
  # $1: an extended pattern of extensions, e.g. '@(PVD|pvd)'; folders are always offered.
  local cur=$2 IFS=$'\n' f
  local -a found=()
  shopt -s nullglob extglob
  for f in "$cur"*; do
    if [[ -d $f ]]; then
      found+=("$f/")
    elif [[ $f == *.$1 ]]; then
      found+=("$f")
    fi
  done
  shopt -u nullglob
  COMPREPLY=("${found[@]}")
  [[ ${#COMPREPLY[@]} == 1 && ${COMPREPLY[0]} == */ ]] && compopt -o nospace 2>/dev/null
}

_pvtool() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local group="" cmd="" k
  # The first two words that are neither options nor their values name the command.
  for ((k = 1; k < COMP_CWORD; k++)); do
    case ${COMP_WORDS[k]} in
      --lang | --port | --com | --lock-number | --table | --set | --samples | --file) ((k++)) ;;
      -*) ;;
      *)
        if [[ -z $group ]]; then group=${COMP_WORDS[k]}
        elif [[ -z $cmd ]]; then cmd=${COMP_WORDS[k]}
        fi ;;
    esac
  done

  case $prev in
    --lang) COMPREPLY=($(compgen -W "1033 1041" -- "$cur")); return ;;
    --com) COMPREPLY=($(compgen -W "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15" -- "$cur")); return ;;
    --port) COMPREPLY=($(compgen -f -- "${cur:-/dev/}")); return ;;
    --set) COMPREPLY=($(compgen -W "A B" -- "$cur")); return ;;
    --file) _pvtool_files '@(PVD|pvd)' "$cur"; return ;;
    --lock-number | --samples | --table) return ;;
  esac

  local unit_opts="--port --com"
  if [[ -z $group ]]; then
    COMPREPLY=($(compgen -W "pvd pvl unit --lang --help --version" -- "$cur"))
    return
  fi
  if [[ -z $cmd ]]; then
    case $group in
      pvd) COMPREPLY=($(compgen -W "new dump build set diff print" -- "$cur")) ;;
      pvl) COMPREPLY=($(compgen -W "info export cells" -- "$cur")) ;;
      unit) COMPREPLY=($(compgen -W "status versions poll load-all load-params send-all
                                     send-params lock reset record diff" -- "$cur")) ;;
    esac
    return
  fi

  local opts=""
  case $group/$cmd in
    pvd/set) opts="--new" ;;
    pvd/diff) opts="--json" ;;
    pvd/print) opts="--table" ;;
    pvl/export) opts="--csv" ;;
    pvl/cells) opts="--set --json" ;;
    unit/poll) opts="$unit_opts --monitor" ;;
    unit/lock | unit/reset) opts="$unit_opts --yes --no --lock-number" ;;
    unit/record) opts="$unit_opts --samples --file" ;;
    unit/diff) opts="$unit_opts --json" ;;
    unit/*) opts="$unit_opts --yes --no --lock-number" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    return
  fi
  case $group/$cmd in
    unit/lock) COMPREPLY=($(compgen -W "on off" -- "$cur")) ;;
    pvd/build) _pvtool_files '@(json|JSON|PVD|pvd)' "$cur" ;;
    pvd/print) _pvtool_files '@(PVD|pvd|pdf)' "$cur" ;;
    pvl/export) _pvtool_files '@(PVL|pvl|TXT|txt|csv)' "$cur" ;;
    pvl/cells) _pvtool_files '@(PVL|pvl|PVD|pvd)' "$cur" ;;
    pvl/*) _pvtool_files '@(PVL|pvl)' "$cur" ;;
    unit/record) _pvtool_files '@(PVL|pvl)' "$cur" ;;
    unit/status | unit/versions | unit/poll | unit/reset) ;;
    *) _pvtool_files '@(PVD|pvd)' "$cur" ;;
  esac
}
complete -F _pvtool pvtool

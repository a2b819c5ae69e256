# bash completion for pipedex: subcommands, options, and the file or folder
# an option takes. The words come from the tool's own --help, so they follow
# the tool that is installed. Installed as
# share/bash-completion/completions/pipedex, where bash-completion finds it.

_pipedex_help_words() {  # _pipedex_help_words TOOL [SUBCOMMAND]: options and subcommands of its --help
  "$@" --help 2>/dev/null | awk '
    /^[A-Za-z].*:$/ { section = $0; next }
    /^  -/ { n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i]; next }
    section ~ /^Subcommands/ && /^  [a-z]/ { print $1 }'
}

_pipedex() {
  local cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD - 1]}"
  COMPREPLY=()
  case "$prev" in
    --component-dir) mapfile -t COMPREPLY < <(compgen -d -- "$cur"); return ;;
    --catalogue | --registry | --project | --user) mapfile -t COMPREPLY < <(compgen -f -- "$cur"); return ;;
    --locale | --group) return ;;
  esac

  # The subcommand given so far (global options with a value are skipped).
  local i sub=""
  for ((i = 1; i < COMP_CWORD; i++)); do
    case "${COMP_WORDS[i]}" in
      --catalogue | --component-dir | --registry | --locale | --project | --user) ((i++)) ;;
      -*) ;;
      *) sub="${COMP_WORDS[i]}"; break ;;
    esac
  done

  local tool="${COMP_WORDS[0]}" words
  if [[ ("$sub" == describe || "$sub" == call) && "$cur" != -* && "$prev" == "$sub" ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$("$tool" call --list 2>/dev/null)" -- "$cur")  # operation names
    return
  fi
  if [[ -n "$sub" && "$cur" != -* ]]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")  # arguments: often a file
    return
  fi
  words="$(_pipedex_help_words "$tool" ${sub:+"$sub"})"
  if [[ "$cur" == -* ]]; then
    words="$(grep -- '^-' <<<"$words")"
  else
    words="$(grep -v -- '^-' <<<"$words")"
  fi
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}

complete -F _pipedex pipedex

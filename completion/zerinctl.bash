# shellcheck shell=bash
# Bash completion for zerinctl: the command words, -all after the salt
# words, -json and -names after -list, and after the words that take a
# repository name, the names of the installation of the zerinctl being
# completed (its "-list -names", which asks no service).

_zerinctl() {
  local cur=${COMP_WORDS[COMP_CWORD]} word=${COMP_WORDS[1]}
  COMPREPLY=()
  if [ "$COMP_CWORD" -eq 1 ]; then
    mapfile -t COMPREPLY < <(compgen -W \
      '-check -stop -start -startdebug -run -delete -importsalt -exportsalt -list' -- "$cur")
    return
  fi
  if [ "$COMP_CWORD" -ne 2 ]; then
    # The salt commands' files and folders.
    case $word in -importsalt | -exportsalt) compopt -o default ;; esac
    return
  fi
  case $word in
    -importsalt | -exportsalt)
      mapfile -t COMPREPLY < <(compgen -W '-all' -- "$cur") ;;
    -list)
      mapfile -t COMPREPLY < <(compgen -W '-json -names' -- "$cur") ;;
    -check | -stop | -start | -startdebug | -run | -delete)
      local tool=${COMP_WORDS[0]} name
      # The tool as typed; a leading ~ is the one expansion worth making.
      [ "${tool#\~/}" != "$tool" ] && tool=$HOME/${tool#\~/}
      while IFS= read -r name; do
        # Names may hold blanks and quotes: each is offered as one word.
        [[ $name == "$cur"* ]] && COMPREPLY+=("$(printf '%q' "$name")")
      done < <("$tool" -list -names 2>/dev/null)
      ;;
  esac
}
complete -F _zerinctl zerinctl

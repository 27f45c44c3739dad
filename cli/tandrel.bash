# bash completion for tandrel                                           -*- shell-script -*-

# Audio files, folders or any file; with the bash-completion package's _filedir when it is there.
__tandrel_files() {
  if declare -F _filedir >/dev/null; then
    _filedir "$@"
  elif [[ $1 == -d ]]; then
    COMPREPLY=($(compgen -d -- "$cur"))
  else
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}

_tandrel() {
  local cur prev words cword
  if declare -F _init_completion >/dev/null; then
    _init_completion || return
  else
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${words[cword]}
    prev=${words[cword - 1]}
  fi

  local sub="" op="" i
  for ((i = 1; i < cword; i++)); do
    case ${words[i]} in
      -*) ;;
      *)
        if [[ -z $sub ]]; then
          sub=${words[i]}
        elif [[ $sub == raw && -z $op ]]; then
          op=${words[i]}
        fi
        ;;
    esac
  done

  if [[ -z $sub ]]; then
    COMPREPLY=($(compgen -W 'info cut join raw --help --version' -- "$cur"))
    return
  fi

  case $sub in
    info)
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--json --help' -- "$cur"))
      else
        __tandrel_files '@(mp3|MP3|wav|WAV)'
      fi
      ;;
    cut)
      case $prev in
        -o | --out)
          __tandrel_files -d
          return
          ;;
        --cue)
          __tandrel_files '@(cue|CUE)'
          return
          ;;
        --every | --parts | --at | --section | --size | --name)
          return
          ;;
      esac
      if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--out --every --parts --at --section --cue --size --name
          --quiet --help' -- "$cur"))
      else
        __tandrel_files '@(mp3|MP3|wav|WAV)'
      fi
      ;;
    join)
      if [[ $prev == -o || $prev == --output ]]; then
        __tandrel_files '@(mp3|MP3|wav|WAV)'
      elif [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--output --quiet --help' -- "$cur"))
      else
        __tandrel_files '@(mp3|MP3|wav|WAV)'
      fi
      ;;
    raw)
      if [[ -z $op ]]; then
        COMPREPLY=($(compgen -W 'join cut-time cut-size file-size play-time --quiet --help' \
          -- "$cur"))
      else
        __tandrel_files
      fi
      ;;
  esac
} &&
  complete -F _tandrel tandrel

# ex: filetype=sh

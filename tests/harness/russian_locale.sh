# Sourced by the tests that run a program in Russian. ru_RU.UTF-8 is used as
# the system has it; a system without it (a fresh Debian has only C.UTF-8)
# gets it compiled by localedef from the glibc locale sources (the package
# locales) into a folder of the test's own, named by LOCPATH, so that nothing
# of the system changes.
#   russian_locale DIR   sets the array ru_env to the env(1) arguments of a
#                        Russian run: LANG=ru_RU.UTF-8, LC_ALL and LANGUAGE unset;
#                        returns 1 when the locale cannot be had.
russian_locale() {
  ru_env=(env -u LC_ALL -u LANGUAGE -u LC_MESSAGES -u LC_CTYPE LANG=ru_RU.UTF-8)
  if [ "$(env -u LOCPATH LC_ALL=ru_RU.UTF-8 locale charmap 2>/dev/null)" = UTF-8 ]; then
    ru_env+=(-u LOCPATH)
    return 0
  fi
  command -v localedef >/dev/null && [ -e /usr/share/i18n/locales/ru_RU ] && mkdir -p "$1" || return 1
  localedef -i ru_RU -f UTF-8 "$1/ru_RU.UTF-8" 2>/dev/null || [ -e "$1/ru_RU.UTF-8/LC_CTYPE" ] || return 1
  ru_env+=(LOCPATH="$1")
  [ "$("${ru_env[@]}" LC_ALL=ru_RU.UTF-8 locale charmap 2>/dev/null)" = UTF-8 ]
}

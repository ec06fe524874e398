#!/usr/bin/env bash
# The message catalogues against the source:
#   translations.sh update XGETTEXT MSGMERGE   extract the messages and merge them into po/*.po
#   translations.sh check XGETTEXT MSGCMP MSGFMT
#                                    fail unless every message of the source has a translation in
#                                    each .po and each .po holds no message the source lacks
set -euo pipefail
cd "$(dirname "$0")/.."
command=$1; xgettext=$2
dirs=(app cli engine image pdf platform qr render settings)
pot=$(mktemp --suffix=.pot)
trap 'rm -f "$pot"' EXIT
# Messages hold CR LF line breaks as the message boxes show them; xgettext's
# warning about '\r' is expected.
find "${dirs[@]}" -name '*.cpp' -o -name '*.h' | LC_ALL=C sort |
  "$xgettext" --files-from=- --output="$pot" --language=C++ --from-code=UTF-8 --keyword=N_ --keyword=Translate \
    --package-name=Sigilry --msgid-bugs-address=sigilry@localhost --no-location --sort-output 2>/dev/null
for po in po/*.po; do
  case $command in
    update) "$3" --quiet --update --backup=none --no-fuzzy-matching --no-location --no-wrap --sort-output "$po" "$pot" ;;
    check)
      "$3" "$po" "$pot"                       # every message translated
      "$3" --use-untranslated "$pot" "$po"    # nothing obsolete
      ! grep -q '^#~' "$po" || { echo "$po: obsolete entries" >&2; exit 1; }
      "$4" --check --statistics -o /dev/null "$po" ;;
  esac
done

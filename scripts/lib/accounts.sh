# Test accounts, made one way and named one way: seance1-<who> (seance1-prof, seance1-lea,
# seance1-noe...), each with a home under /home and its own group, marked as a test account (a file
# in its home: the account's full name stays empty, as the lesson shows it to the teacher) and
# removed with its home and group when the script ends.   Needs lib/common.sh and root.

SEANCE_ACCOUNT_MARK=.seance1-test-account

# make_account WHO [GROUP...]: prints nothing; the account is seance1-WHO, member of the GROUPs
# (themselves test accounts' groups). An account of that name left by an interrupted run is made
# anew; one that is not a test account stops the script.
make_account() {
  local user=seance1-$1 groups
  shift
  groups=$(IFS=,; echo "$*")
  if getent passwd "$user" >/dev/null; then
    [ -e "$(account_home "$user")/$SEANCE_ACCOUNT_MARK" ] ||
      cannot_run_here "an account named $user exists and is not a test account"
    remove_account "$user"
  fi
  useradd -m -U ${groups:+-G "$groups"} -s /bin/sh "$user" ||
    cannot_run_here "the test account $user cannot be made"
  on_exit "remove_account $user"
  touch "$(account_home "$user")/$SEANCE_ACCOUNT_MARK"
}
# A process the account started may outlive the script by a moment (a session bus the toolkit
# launched): userdel refuses an account in use, so it is tried again for a few seconds.
remove_account() {
  local i
  for i in $(seq 20); do
    userdel -r "$1" >/dev/null 2>&1 && break
    getent passwd "$1" >/dev/null || break
    sleep 0.5
  done
  getent passwd "$1" >/dev/null && echo "$SEANCE_SCRIPT: the test account $1 is still in use and was left" >&2
  groupdel "$1" >/dev/null 2>&1 || true
}
account_home() { getent passwd "$1" | cut -d: -f6; }
# as ACCOUNT COMMAND...: runs the command as the account, with its own home and settings.
as() {
  local user=$1 home
  shift
  home=$(account_home "$user")
  runuser -u "$user" -- env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" "$@"
}

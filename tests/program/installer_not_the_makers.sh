#!/usr/bin/env bash
# An installer that is not the maker's is never started: the package, a bare
# installer, arrives unsigned, then damaged after its signing, then signed
# by another publisher (as the simulated host's "signatures" describes it).
# Each time the request ends in "Install error" with the installer removed
# and never run, and the buttons come back; then the maker's own installer
# installs as usual, in the same run of the program.
source "$(dirname "${BASH_SOURCE[0]}")/world.sh"

world_make --bare-exe --package-mib 1
served_installer="$served/tesselmax/VelmoraTesselMaxSetup.success.exe"
downloaded="$STRATOSET_SIMULATED_HOST/Temp/VelmoraTmp/VelmoraTesselMaxSetup.success.exe"
signed_copy="$work/signed-installer.exe"
cp "$served_installer" "$signed_copy"

# The served installer becomes a copy with one line more, which the host
# describes as told ("" for not at all).
serve_changed()
{
    cp "$signed_copy" "$served_installer"
    printf '# %s\n' "$1" >> "$served_installer"
    if [ -n "$2" ]; then
        printf '%s %s\n' "$(sha256sum "$served_installer" | cut -d' ' -f1)" "$2" >> "$STRATOSET_SIMULATED_HOST/signatures"
    fi
}

# Presses the Tessel Max button until request number $1 has started: the
# buttons take clicks again only once the request before has ended.
start_request()
{
    local attempt
    for attempt in 1 2 3 4 5 6 7 8 9 10; do
        click_at 90 305
        wait_for 3 bash -c "[ \$(grep -cF '<DownloadMonitor> Download: ' '$log') -ge $1 ]" && return 0
    done
    return 1
}

server_start
program_start
wait_for 30 logged "<InterfaceComponent::updateButtons> found: " || fail "the QX4 was not offered"

refusals=0
for case in "unsigned|" "tampered|tampered, signed by Velmora Studio" "another publisher|signed by Velmora Studios"; do
    what="${case%%|*}"
    serve_changed "$what" "${case#*|}"
    refusals=$((refusals + 1))
    start_request "$refusals" || fail "the $what installer's request did not start"
    wait_for 60 bash -c "[ \$(grep -cF '<MainComponent::changeListenerCallback> Install failed' '$log') -ge $refusals ]" \
        || fail "the $what installer did not end in \"Install error\""
    [ "$(count_logged "<InstallerSignature> Not signed by the maker, not started: ")" -eq "$refusals" ] \
        || fail "the $what installer was not refused by its signature"
    [ ! -e "$downloaded" ] || fail "the $what installer was not removed"
    [ ! -e "$downloaded.record" ] || fail "the $what installer was started"
done
logged "; verdict 0x800B0100 (TRUST_E_NOSIGNATURE), signer (none)" || fail "the unsigned installer's verdict was not logged"
logged "; verdict 0x80096010 (TRUST_E_BAD_DIGEST), signer Velmora Studio" || fail "the damaged installer's verdict was not logged"
logged "; verdict 0x00000000 (valid), signer Velmora Studios: a valid signature of another publisher" \
    || fail "the other publisher's verdict was not logged"
[ ! -d "$STRATOSET_SIMULATED_HOST/Program Files/Velmora" ] || fail "something was installed"

# The maker's installer, as signed.
cp "$signed_copy" "$served_installer"
start_request 4 || fail "the maker's installer's request did not start"
wait_for 60 logged "<MainComponent::changeListenerCallback> Installed" || fail "the maker's installer did not install"
logged "<InstallerSignature> Signed by Velmora Studio: " || fail "the maker's signature was not logged"
answer no

program_stop
echo "three installers that are not the maker's refused and never run; the maker's installed"

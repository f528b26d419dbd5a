# Sourced by the scripts that set up, build and run the Windows tests: sets
# windows_test_bits to the build those tests run on this machine.
#   32  the machine runs 32-bit programs: the tests run the 32-bit build,
#       the product itself, in 64- and 32-bit Wine prefixes
#   64  its kernel runs 64-bit code only (so no 32-bit Wine either): the tests
#       run a 64-bit build of the same sources in a 64-bit prefix, and the
#       32-bit product is still built and its header and resources checked
# STRATOSET_WINDOWS_TEST_BITS=32|64 chooses instead of asking the machine.
# windows_test_bits_reason says why, for the scripts' output.

windows_test_bits="${STRATOSET_WINDOWS_TEST_BITS:-}"
windows_test_bits_reason="chosen by STRATOSET_WINDOWS_TEST_BITS"

if [ -z "$windows_test_bits" ]; then
    if windows_test_bits_reason="$(python3 "$(dirname "${BASH_SOURCE[0]}")/../tools/runs_32bit_programs.py")"; then
        windows_test_bits=32
        windows_test_bits_reason="this machine runs 32-bit programs"
    else
        windows_test_bits=64
        windows_test_bits_reason="this machine runs no 32-bit programs (${windows_test_bits_reason#no: })"
    fi
fi

case "$windows_test_bits" in
    32 | 64) ;;
    *) echo "STRATOSET_WINDOWS_TEST_BITS must be 32 or 64, not '$windows_test_bits'" >&2; exit 2 ;;
esac

# Counted checks for the proofs (sourced): check NAME COMMAND... runs
# COMMAND and counts it in passed or failed, saying so under the proof's name
# (CHECKS_NAME; passes only with CHECKS_VERBOSE=1).
passed=0
failed=0
check() { # name, then the command that must succeed
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        [ "${CHECKS_VERBOSE:-0}" = 1 ] && echo "$CHECKS_NAME: ok: $name"
    else
        failed=$((failed + 1))
        echo "$CHECKS_NAME: FAILED: $name"
    fi
    return 0
}

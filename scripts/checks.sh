# Sourced by the check scripts: check DESCRIPTION COMMAND... runs one check, reports a
# failure and goes on with the rest; finish_checks prints the tally and fails if any failed.
# The caller sets check_name, the prefix of its lines.
passed=0
failed=0
check() {
    local description=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "$check_name: FAILED: $description" >&2
    fi
}
finish_checks() {
    echo "$check_name: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

#!/usr/bin/env python3
"""Counts one ctest run from its JUnit file (ctest --output-junit).

usage: ctest_results.py LABEL JUNIT SKIPPED_LIST

Prints "PASSED FAILED SKIPPED" and appends a line "LABEL NAME: REASON" to
SKIPPED_LIST for every skipped test, the reason being the last line the
test printed. ctest itself counts a skipped test among the passed ones; a
test that did not run for any other reason (no program, a failed setup)
is counted failed.
"""
import sys
import xml.etree.ElementTree as ElementTree


def main(arguments):
    if len(arguments) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    label, junit, skipped_list = arguments
    try:
        cases = ElementTree.parse(junit).getroot().iter("testcase")
    except (OSError, ElementTree.ParseError) as error:
        print(f"ctest_results: cannot read {junit}: {error}", file=sys.stderr)
        return 1
    passed = failed = 0
    skips = []
    for case in cases:
        status = case.get("status")
        # The test said so itself (SKIP_RETURN_CODE, SKIP_REGULAR_EXPRESSION).
        said_skip = case.find("skipped") is not None and \
            case.find("skipped").get("message", "").startswith("SKIP_")
        if status == "run" and case.find("failure") is None:
            passed += 1
        elif (status == "notrun" and said_skip) or status == "disabled":
            output = (case.findtext("system-out") or "").strip().splitlines()
            reason = output[-1].strip() if output else status
            skips.append(f"  {label} {case.get('name')}: {reason}\n")
        else:
            failed += 1
    with open(skipped_list, "a", encoding="utf-8") as out:
        out.writelines(skips)
    print(passed, failed, len(skips))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

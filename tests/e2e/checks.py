"""The end-to-end scripts' record of their checks: each is printed as it is
made, and the failed ones are kept for the script's verdict."""

failures = []


def check(ok, what):
    print(("ok: " if ok else "FAIL: ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok

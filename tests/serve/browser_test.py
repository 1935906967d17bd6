#!/usr/bin/python3
"""Uploads a work plan through kv serve's page in a headless Chromium and looks for a
finding linked to a shaded cell on the report. Exit status 77 (skipped) without Chromium."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77


def chromium_or_skip():
    browser = shutil.which("chromium")
    driver = shutil.which("chromedriver")
    try:
        from selenium import webdriver  # noqa: F401
    except ImportError:
        browser = None
    if not browser or not driver:
        print("skipped: chromium, chromium-driver or python3-selenium is not installed "
              "(./test installs them)")
        sys.exit(SKIP)
    return browser, driver


def start_service(kv, temp):
    listening = os.path.join(temp, "listening")
    with open(listening, "w") as out:
        service = subprocess.Popen([kv, "serve", "--listen", "127.0.0.1:0"], stdout=out,
                                   stderr=subprocess.DEVNULL, cwd=temp,
                                   env=dict(os.environ, TMPDIR=temp))
    for _ in range(300):
        with open(listening) as text:
            line = text.read()
        if line.endswith("/\n"):
            return service, line.split("listening on ")[1].strip()
        time.sleep(0.1)
    service.kill()
    sys.exit("kv serve did not listen within 30 s")


def main():
    kv, plan = sys.argv[1], sys.argv[2]
    browser, driver = chromium_or_skip()
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By

    before = open(plan, "rb").read()
    with tempfile.TemporaryDirectory() as temp:
        service, url = start_service(kv, temp)
        options = webdriver.ChromeOptions()
        options.binary_location = browser
        for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + os.path.join(temp, "profile")]:
            options.add_argument(flag)
        web = webdriver.Chrome(service=Service(driver), options=options)
        try:
            web.set_page_load_timeout(120)
            web.get(url)
            web.find_element(By.NAME, "plan").send_keys(plan)
            web.find_element(By.CSS_SELECTOR, "button[type=submit]").click()
            link = web.find_element(By.CSS_SELECTOR, "#errors a[href='#t4-r5-c10']")
            assert link.text == "(5,10)", link.text
            assert web.current_url.startswith(url + "reports/"), web.current_url
            link.click()
            cell = web.find_element(By.ID, "t4-r5-c10")
            colour = cell.value_of_css_property("background-color")
            assert colour == "rgba(0, 128, 0, 1)", colour
            assert cell.text == "134", cell.text
        finally:
            web.quit()
            service.send_signal(signal.SIGTERM)
            status = service.wait(60)
        assert status == 0, status
        left = sorted(os.listdir(temp))
        assert left == ["listening", "profile"], left
    assert open(plan, "rb").read() == before, "the plan was changed"
    print("ok: a finding links to its green cell on the report")


if __name__ == "__main__":
    main()

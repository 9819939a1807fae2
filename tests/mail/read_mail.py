"""Prints a saved message as the mail tests compare it, one fact a line."""
import email
import email.policy
import hashlib
import json
import sys

base = sys.argv[1]
envelope = json.load(open(base + ".env"))
message = email.message_from_binary_file(open(base + ".eml", "rb"), policy=email.policy.default)
print("envelope-from:", envelope["from"])
print("envelope-to:", ",".join(envelope["to"]))
print("from-name:", message["From"].addresses[0].display_name)
print("from-address:", message["From"].addresses[0].addr_spec)
print("to:", message["To"])
print("subject:", message["Subject"])
print("has-date:", message["Date"] is not None, "has-id:", message["Message-ID"] is not None)
parts = list(message.iter_parts()) if message.is_multipart() else [message]
print("text-type:", parts[0].get_content_type(), parts[0].get_content_charset())
for line in parts[0].get_content().splitlines():
    print("body:", line)
for part in parts[1:]:
    print("attachment:", part.get_filename(), hashlib.md5(part.get_payload(decode=True)).hexdigest())

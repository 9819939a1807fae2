"""A local SMTP server for the mail tests, on 127.0.0.1 and a free port it prints first.

save FOLDER: keeps each message as N.eml with its envelope in N.env.
refuse FOLDER: refuses every recipient; otherwise like save.
refuse-some FOLDER: refuses the recipients whose address starts with "yok"; otherwise like save.
login FOLDER: takes mail only after AUTH as "okul" with the password "gizli"; otherwise like save.
silent: takes the connection and never answers.
"""
import asyncio
import json
import os
import socket
import sys
import time

mode = sys.argv[1]

if mode == "silent":
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen()
    print(server.getsockname()[1], flush=True)
    peers = []
    while True:
        peer, _ = server.accept()
        peers.append(peer)

from aiosmtpd.smtp import SMTP, AuthResult

folder = sys.argv[2]


class Handler:
    count = 0

    async def handle_RCPT(self, server, session, envelope, address, options):
        if mode == "refuse" or (mode == "refuse-some" and address.startswith("yok")):
            return "550 5.1.1 Alıcı yok"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        Handler.count += 1
        base = os.path.join(folder, str(Handler.count))
        with open(base + ".eml", "wb") as out:
            out.write(envelope.original_content)
        with open(base + ".env", "w") as out:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos}, out)
        return "250 Message accepted"


def authenticator(server, session, envelope, mechanism, auth_data):
    return AuthResult(success=(auth_data.login, auth_data.password) == (b"okul", b"gizli"), handled=False)


def smtp():
    if mode == "login":
        return SMTP(Handler(), enable_SMTPUTF8=True, authenticator=authenticator, auth_required=True,
                    auth_require_tls=False)
    return SMTP(Handler(), enable_SMTPUTF8=True)


async def main():
    loop = asyncio.get_running_loop()
    server = await loop.create_server(smtp, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()

asyncio.run(main())

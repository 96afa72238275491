#include "follow/mqtt_address.h"
#include "remote/frmRemoteDisplays.h"
#include "support/app_fixture.h"

namespace orvane::test {
namespace {

// A server that serves wherever it is asked, unless told to refuse.
class FakeRemoteDisplays : public RemoteDisplays {
  public:
    std::string serve(const ServeAddress& where) override {
        calls.push_back("serve " + where.address + " " + std::to_string(where.port));
        if (!refusal.empty())
            return refusal;
        m_where = where;
        return {};
    }
    void stop() override {
        calls.push_back("stop");
        m_where.reset();
    }
    bool serving() const override { return m_where.has_value(); }
    ServeAddress servingAt() const override { return m_where.value_or(ServeAddress{}); }
    std::string pageAddress() const override {
        return m_where ? orvane::pageAddress(m_where->address, m_where->port) : "";
    }
    int watchers() const override { return screens; }
    void showCode(PictureBox&, const std::string& text) override { code = text; }
    Pairing* pairing() override { return pairs.get(); }
    std::string offerPairingCode() override {
        pairs->offerCode("042042");
        return pageAddress() + "control#042042";
    }

    std::string setTls(const std::string& certificate, const std::string& key) override {
        if (!certificate.empty() || !key.empty())
            calls.push_back("tls " + certificate + " " + key);
        return certificate == "/missing" ? "Over TLS: the certificate /missing cannot be read."
                                         : "";
    }

    std::unique_ptr<Pairing> pairs;

    std::vector<std::string> calls;
    std::string refusal;
    std::string code;
    int screens = 0;

  private:
    std::optional<ServeAddress> m_where;
};

// A copy named "room2" beside another on one computer, whose follower is not started.
class FakePublishing : public MqttPublishing {
  public:
    std::string publish(const std::string&) override { return "not here"; }
    void stopPublishing() override {}
    std::string publishingTo() const override { return {}; }
    std::string checkFollow(const std::string& address, const std::string& file) override {
        std::string error;
        if (!parseMqttAddress(address, error))
            return error;
        return file == "/missing" ? "there is no such file" : "";
    }
    std::string followingState() const override { return state; }
    std::string instance() const override { return "room2"; }

    std::string state;
};

class RemoteDialogTest : public AppTest {
  protected:
    void SetUp() override {
        app.registerForm<frmRemoteDisplays>("frmRemoteDisplays", [this](App& a) {
            return std::make_unique<frmRemoteDisplays>(a, remote, publishing.get());
        });
        app.provide<frmRemoteDisplays>(App::Dialog::RemoteDisplays);
        clockAt("2001-05-03 10:20:00");
        startAndSettle();
        ASSERT_TRUE(click(main().control<MenuItem>("mnuRemoteDisplays")));
    }
    frmRemoteDisplays& dialog() { return *app.loaded<frmRemoteDisplays>(); }
    std::string setting(const std::string& key) {
        return world.services.settings.get("orvane", "Remote Displays", key, "<absent>");
    }

    FakeRemoteDisplays remote;
    std::unique_ptr<FakePublishing> publishing;
};

class FollowChoiceTest : public RemoteDialogTest {
  protected:
    void SetUp() override {
        publishing = std::make_unique<FakePublishing>();
        RemoteDialogTest::SetUp();
    }
    std::optional<FollowChoice> atStart(AppInfo info, const std::string& instance = "room2") {
        return followChoiceAtStart(world.services.settings, info, instance);
    }
};

// The choice to follow is kept for this copy's next start, under its own instance name, so a
// leader on the same computer does not follow too; the command line wins over it.
TEST_F(FollowChoiceTest, FollowingIsKeptForTheNextStartOfThisCopyOnly) {
    frmRemoteDisplays& d = dialog();
    EXPECT_EQ(d.lblFollowing.caption(), "Not following.");
    type(d.txtFollowFrom, "http://broker/orvane");
    answer(Answer::OK);
    ASSERT_TRUE(click(d.chkFollow));
    EXPECT_EQ(lastMessage().text.rfind("This copy cannot follow http://broker/orvane. ", 0), 0u)
        << lastMessage().text;
    EXPECT_EQ(d.chkFollow.value(), 0);
    type(d.txtFollowFrom, "mqtts://broker:8883/site/orvane");
    type(d.txtCredentials, "/missing");
    answer(Answer::OK);
    ASSERT_TRUE(click(d.chkFollow));
    EXPECT_EQ(lastMessage().text,
              "This copy cannot follow mqtts://broker:8883/site/orvane. there is no such file.");
    EXPECT_FALSE(atStart({})) << "nothing is kept that cannot be followed";

    type(d.txtCredentials, "/home/op/broker.txt");
    ASSERT_TRUE(click(d.chkFollow));
    EXPECT_EQ(d.chkFollow.value(), 1);
    EXPECT_FALSE(d.txtFollowFrom.enabled());
    EXPECT_FALSE(d.txtCredentials.enabled());
    EXPECT_EQ(d.lblFollowing.caption(), "Not following. From the next start, this copy follows "
                                        "mqtts://broker:8883/site/orvane.");
    const std::optional<FollowChoice> kept = atStart({});
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->address, "mqtts://broker:8883/site/orvane");
    EXPECT_EQ(kept->credentials, "/home/op/broker.txt");
    EXPECT_FALSE(atStart({}, "")) << "the leader beside it keeps its own choice";
    AppInfo told;
    told.publish = "mqtt://broker/orvane";
    EXPECT_FALSE(atStart(told)) << "the command line wins";
    told.publish.reset();
    told.follow = "mqtt://other/orvane";
    EXPECT_FALSE(atStart(told));

    // Following already, the dialog says how the connection stands.
    publishing->state = "Leader not heard yet: The broker refused this user: not authorised";
    advance(1s);
    EXPECT_EQ(d.lblFollowing.caption(),
              "Leader not heard yet: The broker refused this user: not authorised. From the next "
              "start, this copy follows mqtts://broker:8883/site/orvane.");

    ASSERT_TRUE(click(d.cmdClose));
    advance(1ms);
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRemoteDisplays")));
    EXPECT_EQ(dialog().chkFollow.value(), 1) << "shown as kept";
    EXPECT_EQ(dialog().txtCredentials.text(), "/home/op/broker.txt");
    ASSERT_TRUE(click(dialog().chkFollow));
    EXPECT_FALSE(atStart({}));
    EXPECT_TRUE(dialog().txtFollowFrom.enabled());
}

TEST_F(RemoteDialogTest, ServingShowsThePageAndItsCode_AndIsKeptForTheNextStart) {
    frmRemoteDisplays& d = dialog();
    EXPECT_TRUE(d.visible());
    EXPECT_EQ(d.chkServe.value(), 0);
    EXPECT_EQ(d.txtAddress.text(), "127.0.0.1") << "only this computer, unless the user says";
    EXPECT_EQ(d.lblPageAddress.caption(), "Not serving.");
    EXPECT_TRUE(d.txtPort.enabled());

    type(d.txtPort, "9000");
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_EQ(remote.calls, std::vector<std::string>{"serve 127.0.0.1 9000"});
    // No phone can open this computer's loopback address: no code for it.
    EXPECT_EQ(d.lblPageAddress.caption(), "http://127.0.0.1:9000/ (this computer only)");
    EXPECT_EQ(remote.code, "");
    EXPECT_FALSE(d.txtAddress.enabled()) << "the address is chosen while not serving";
    EXPECT_FALSE(d.txtPort.enabled());
    EXPECT_EQ(setting("Serve"), "1");
    EXPECT_EQ(setting("Port"), "9000");
    const auto kept = savedServeChoice(world.services.settings, "orvane");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->port, 9000);

    remote.screens = 3;
    advance(1s);
    EXPECT_EQ(d.lblWatchers.caption(), "3 screens watching");

    // Closed and opened again, the dialog shows the server as it is, without serving anew.
    ASSERT_TRUE(click(d.cmdClose));
    advance(1ms);
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRemoteDisplays")));
    EXPECT_EQ(dialog().chkServe.value(), 1);
    EXPECT_EQ(remote.calls.size(), 1u);

    ASSERT_TRUE(click(dialog().chkServe));
    EXPECT_EQ(remote.calls.back(), "stop");
    EXPECT_EQ(dialog().lblPageAddress.caption(), "Not serving.");
    EXPECT_EQ(remote.code, "");
    EXPECT_EQ(setting("Serve"), "0");
    EXPECT_FALSE(savedServeChoice(world.services.settings, "orvane"));

    type(dialog().txtAddress, "192.168.1.5");
    ASSERT_TRUE(click(dialog().chkServe));
    EXPECT_EQ(dialog().lblPageAddress.caption(), "http://192.168.1.5:9000/");
    EXPECT_EQ(remote.code, "http://192.168.1.5:9000/");
}

TEST_F(RemoteDialogTest, AnAddressThatCannotBeServedIsToldAndNothingIsKept) {
    frmRemoteDisplays& d = dialog();
    type(d.txtPort, "80a");
    answer(Answer::OK);
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_TRUE(remote.calls.empty());
    EXPECT_NE(lastMessage().text.find("port must be a number"), std::string::npos)
        << lastMessage().text;
    EXPECT_EQ(d.chkServe.value(), 0);

    type(d.txtPort, "80");
    remote.refusal = "The address is protected";
    answer(Answer::OK);
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_EQ(lastMessage().text,
              "The count cannot be served on 127.0.0.1, port 80. The address is protected");
    EXPECT_EQ(d.chkServe.value(), 0);
    EXPECT_TRUE(d.txtPort.enabled());
    EXPECT_EQ(setting("Serve"), "<absent>");
}

// The highest port there is serves like any other; one past it is refused before the
// server is asked.
TEST_F(RemoteDialogTest, TheHighestPortServes_AndOnePastItIsRefused) {
    frmRemoteDisplays& d = dialog();
    type(d.txtPort, "65536");
    answer(Answer::OK);
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_TRUE(remote.calls.empty());
    EXPECT_EQ(lastMessage().text, "The count cannot be served on 127.0.0.1, port 65536. The "
                                  "port must be a number from 0 to 65535.");

    type(d.txtPort, "65535");
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_EQ(remote.calls, std::vector<std::string>{"serve 127.0.0.1 65535"});
    EXPECT_EQ(d.lblPageAddress.caption(), "http://127.0.0.1:65535/ (this computer only)");
    EXPECT_EQ(setting("Port"), "65535");
}

TEST_F(RemoteDialogTest, AnIPv6AddressIsTakenAsTyped) {
    frmRemoteDisplays& d = dialog();
    type(d.txtAddress, "::1");
    type(d.txtPort, "8081");
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_EQ(remote.calls, std::vector<std::string>{"serve ::1 8081"});
    EXPECT_EQ(d.lblPageAddress.caption(), "http://[::1]:8081/ (this computer only)");
    const auto kept = savedServeChoice(world.services.settings, "orvane");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->address, "::1");
}

// Pairing needs an address a phone can reach; the code shows with its own picture, and the
// paired devices are listed to forget. Letting them control is kept.
TEST_F(RemoteDialogTest, PairingIsOfferedOnlyWhereAPhoneCanReachThePage) {
    remote.pairs = std::make_unique<Pairing>(app);
    frmRemoteDisplays& d = dialog();
    advance(1s);
    EXPECT_EQ(d.chkControl.value(), 0) << "off until chosen";
    EXPECT_FALSE(d.cmdPair.enabled());
    EXPECT_EQ(d.lblPairNote.caption(), "Serve the count to pair a device.");
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_FALSE(d.cmdPair.enabled());
    EXPECT_EQ(d.lblPairNote.caption().rfind("Serving this computer only (127.0.0.1)", 0), 0u);
    ASSERT_TRUE(click(d.chkServe));
    type(d.txtAddress, "0.0.0.0");
    type(d.txtPort, "9000");
    ASSERT_TRUE(click(d.chkServe));
    ASSERT_TRUE(click(d.cmdPair));
    EXPECT_EQ(d.lblPairCode.caption(), "042 042");
    EXPECT_EQ(remote.code, "http://0.0.0.0:9000/control#042042");
    EXPECT_NE(d.lblPairNote.caption().find("within 120 seconds"), std::string::npos);
    EXPECT_EQ(remote.pairs->pair("042042", "Tablet", std::string(64, 'c')), "");
    advance(1s);
    EXPECT_EQ(d.lblPairCode.caption(), "");
    EXPECT_EQ(remote.code, "http://0.0.0.0:9000/") << "the page's own code comes back";
    EXPECT_EQ(d.lblDevice[0].caption(), "Tablet (seen just now)");
    EXPECT_TRUE(d.cmdForget[0].visible());
    EXPECT_FALSE(d.cmdForget[1].visible());
    ASSERT_TRUE(click(d.cmdForget[0]));
    EXPECT_FALSE(d.lblDevice[0].visible());
    EXPECT_EQ(d.lblDevices.caption(), "No device is paired.");
    EXPECT_FALSE(d.cmdForgetAll.enabled());

    ASSERT_TRUE(click(d.chkControl));
    EXPECT_EQ(setting("Control"), "1");
    main().setFollowing(true);
    advance(1s);
    EXPECT_FALSE(d.chkControl.enabled());
    EXPECT_FALSE(d.cmdPair.enabled());
    EXPECT_EQ(d.lblPairNote.caption(), "A follower takes no commands: its count is its leader's.");
}

// The dialog's TLS files are used before serving and kept with the choice; a file that cannot
// be read serves nothing.
TEST_F(RemoteDialogTest, ServingOverTlsTakesTheFilesFirstAndKeepsThem) {
    frmRemoteDisplays& d = dialog();
    type(d.txtTlsCert, "/missing");
    type(d.txtTlsKey, "/etc/orvane/key.pem");
    answer(Answer::OK);
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_EQ(lastMessage().text, "The count cannot be served on 127.0.0.1, port 8080. Over TLS: "
                                  "the certificate /missing cannot be read.");
    EXPECT_EQ(remote.calls, std::vector<std::string>{"tls /missing /etc/orvane/key.pem"});
    EXPECT_FALSE(remote.serving());
    type(d.txtTlsCert, "/etc/orvane/cert.pem");
    ASSERT_TRUE(click(d.chkServe));
    EXPECT_EQ(remote.calls.back(), "serve 127.0.0.1 8080");
    EXPECT_FALSE(d.txtTlsCert.enabled()) << "the files are chosen while not serving";
    EXPECT_EQ(savedTlsFiles(world.services.settings, "orvane"),
              (std::pair<std::string, std::string>{"/etc/orvane/cert.pem", "/etc/orvane/key.pem"}));
}

} // namespace
} // namespace orvane::test
